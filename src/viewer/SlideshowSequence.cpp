#include "viewer/SlideshowSequence.h"

#include "common/ProgramState.h"
#include "viewer/ViewerLayout.h"

namespace q32 {

SlideshowSequence::SlideshowSequence(PlaybackState& playback, OpenAlbumState& album,
                                     const OptionFlags& options,
                                     std::function<WipeSelection&()> selection, QObject* parent)
    : QObject(parent), m_playback(playback), m_album(album), m_options(options),
      m_selection(std::move(selection)), m_clock(m_values) {}

double SlideshowSequence::random() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
}

void SlideshowSequence::begin(bool slideshow) {
    m_skipped = 0;
    m_clock.setEnabled(slideshow);
}

void SlideshowSequence::start() {
    m_playback.SlideshowRunning = true;
    m_clock.setEnabled(true);
    if (m_album.CurrentRow != 0)
        m_album.CurrentRow = 1;
}

void SlideshowSequence::end() {
    m_clock.setEnabled(false);
    m_ahead.reset();
    m_playback.SlideshowRunning = false;
}

void SlideshowSequence::stepNext() {
    OpenAlbumState& album = m_album;
    // The row of a slide made ready was drawn when it was prepared.
    album.CurrentRow = m_ahead ? m_ahead->row
                               : NextRow(album.CurrentRow, album.RecordCount,
                                         m_options.RandomImages, [this] { return random(); });
}

void SlideshowSequence::stepPrevious() {
    m_ahead.reset();
    m_album.CurrentRow = PreviousRow(m_album.CurrentRow, m_album.RecordCount);
}

Transition SlideshowSequence::chooseTransition() {
    const WipeChooser::Choice choice =
        m_chooser.next(m_selection(), m_options.RandomWipes, [this] { return random(); });
    m_pattern = choice.pattern;
    if (choice.delay)
        m_values.EffectDelay = *choice.delay;
    return {m_pattern, m_values.EffectGrain, m_values.EffectDelay};
}

SlideshowSequence::Plan SlideshowSequence::planCurrent() {
    Plan plan;
    if (m_ahead && m_ahead->row == m_album.CurrentRow && m_ahead->choice.pattern >= 0) {
        // Chosen and read while the last picture was on screen.
        m_pattern = m_ahead->choice.pattern;
        if (m_ahead->choice.delay)
            m_values.EffectDelay = *m_ahead->choice.delay;
        plan.transition = {m_pattern, m_values.EffectGrain, m_values.EffectDelay};
        plan.ready = m_ahead->slide;
    } else {
        plan.transition = chooseTransition();
    }
    m_ahead.reset();
    return plan;
}

std::optional<QFuture<PreparedSlide>> SlideshowSequence::prepareAhead(const Prepare& prepare) {
    if (m_album.RecordCount < 1)
        return std::nullopt;
    Ahead ahead;
    ahead.row = NextRow(m_album.CurrentRow, m_album.RecordCount, m_options.RandomImages,
                        [this] { return random(); });
    ahead.choice =
        m_chooser.next(m_selection(), m_options.RandomWipes, [this] { return random(); });
    const Transition transition{ahead.choice.pattern, m_values.EffectGrain,
                                ahead.choice.delay.value_or(m_values.EffectDelay)};
    ahead.slide = prepare(ahead.row, transition);
    m_ahead = ahead;
    return ahead.slide;
}

std::optional<qint64> SlideshowSequence::aheadRow() const {
    return m_ahead ? std::optional<qint64>(m_ahead->row) : std::nullopt;
}

void SlideshowSequence::shown() {
    m_skipped = 0;
    if (m_playback.SlideshowRunning)
        m_clock.setEnabled(true);
}

bool SlideshowSequence::skipped() {
    if (m_playback.SlideshowRunning)
        m_clock.setEnabled(true);
    return ++m_skipped < m_album.RecordCount;
}

void SlideshowSequence::clipStarted() {
    m_skipped = 0;
    m_clock.setEnabled(false);
}

void SlideshowSequence::clipEnded() {
    if (m_playback.SlideshowRunning)
        m_clock.setEnabled(true);
    m_playback.SoundPlaying = false;
}

bool SlideshowSequence::soundDue(bool hasSound) const {
    return m_playback.SlideshowRunning && m_options.AutoSound && hasSound;
}

} // namespace q32
