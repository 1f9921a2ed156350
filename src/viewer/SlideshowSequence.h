#pragma once
// The slideshow's order of events, without a window: which record comes next (in turn or at
// random), which wipe shows it, when the clock runs and when it waits (a picture being read, a
// clip playing), whether a picture's sound plays, and how far a run of records that could not be
// shown goes on. The next record's slide is made ready while the current one is on screen.

#include "common/ProgramState.h"
#include "viewer/SlidePreparer.h"
#include "viewer/SlideshowClock.h"
#include "viewer/SlideshowValues.h"
#include "viewer/WipePatterns.h"

#include <QFuture>
#include <QObject>
#include <functional>
#include <optional>
#include <random>

namespace q32 {

// The parts of the program's state the viewer reads and moves: the slideshow moves the current
// row, the viewer's menu changes the options.
struct ViewerState {
    const ProgramPaths& paths;
    OptionFlags& options;
    PlaybackState& playback;
    OpenAlbumState& album;
    CurrentRecordState& record;
};

class SlideshowSequence : public QObject {
    Q_OBJECT
public:
    // Reads the picture of a row and makes it ready for a transition, off the interface thread.
    using Prepare = std::function<QFuture<PreparedSlide>(qint64 row, const Transition&)>;

    // selection gives the wipe patterns, read when first needed.
    SlideshowSequence(PlaybackState& playback, OpenAlbumState& album, const OptionFlags& options,
                      std::function<WipeSelection&()> selection, QObject* parent = nullptr);

    SlideshowClock& clock() { return m_clock; }
    SlideshowValues& values() { return m_values; }
    // The wipe pattern of the picture on screen.
    int pattern() const { return m_pattern; }
    bool sliding() const { return m_clock.isEnabled(); }

    // The viewer opens: the clock runs from the start for a slideshow.
    void begin(bool slideshow);
    // The show starts from the viewer: the clock runs, and its first change is to the row after
    // row 1.
    void start();
    // The clock stops; the show is over.
    void end();

    // Moves the current record on: to the row drawn when its slide was made ready, else to the
    // next in turn or at random.
    void stepNext();
    void stepPrevious();

    // How the current record is shown while sliding: its transition, and its slide when it was
    // made ready ahead. What was made ready is used once.
    struct Plan {
        Transition transition;
        std::optional<QFuture<PreparedSlide>> ready;
    };
    Plan planCurrent();
    void forgetAhead() { m_ahead.reset(); }
    // Makes the next record's slide ready; the future tells when it is. None for an empty album.
    std::optional<QFuture<PreparedSlide>> prepareAhead(const Prepare& prepare);
    std::optional<qint64> aheadRow() const;

    // The current record's picture is read and decoded: the clock waits.
    void loading() { m_clock.setEnabled(false); }
    // A picture is on screen: the clock goes on while the show runs.
    void shown();
    // A record could not be shown; true when the show goes straight on to the next one, false
    // when every record has just failed (the clock tries again after the interval).
    bool skipped();
    // A clip plays to its end before the clock goes on.
    void clipStarted();
    void clipEnded();
    // Whether a picture's sound plays as it is shown.
    bool soundDue(bool hasSound) const;

    // A number in [0, 1).
    double random();
    void seed(unsigned value) { m_random.seed(value); }

private:
    Transition chooseTransition();

    PlaybackState& m_playback;
    OpenAlbumState& m_album;
    const OptionFlags& m_options;
    std::function<WipeSelection&()> m_selection;
    SlideshowValues m_values;
    SlideshowClock m_clock;
    WipeChooser m_chooser;
    int m_pattern = 0;
    qint64 m_skipped = 0; // records passed over since one was last shown

    struct Ahead {
        qint64 row = 0;
        WipeChooser::Choice choice;
        QFuture<PreparedSlide> slide;
    };
    std::optional<Ahead> m_ahead;
    std::mt19937 m_random{std::random_device{}()};
};

} // namespace q32
