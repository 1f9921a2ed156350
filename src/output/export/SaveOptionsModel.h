#pragma once
// What the "File Save Options" window holds and how its controls depend on one another, without
// widgets: the window shows this state and forwards the user's clicks. The result is a plain
// value (SaveChoice) that the export takes.

#include "output/export/ExportFormats.h"
#include "platform/imaging/Imaging.h"

#include <QObject>
#include <QSize>
#include <QStringList>
#include <functional>
#include <optional>

namespace q32 {

// A stamp: a small preview picture stored inside the saved file.
struct StampOptions {
    int width = 0;
    int height = 0;
    int bits = 24; // 8 or 24
};

struct SaveChoice {
    bool accepted = false;
    int formatIndex = -1; // the format's number in the list, remembered for the next export
    SaveOptions save;     // code, bits, quality factor and multi-page flag for SaveImage
    bool append = false;  // the Append box as left, remembered even for formats without pages
    std::optional<StampOptions> stamp;
};

class SaveOptionsModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kCustom = 9; // the "CUSTOM" entry of the predefined factors
    static const QStringList& predefinedNames();
    static constexpr int kLead = 0, kFlashPix = 23; // format numbers with rules of their own

    // Selects the format with that number (the first offered one when it is not offered)
    // and sets the remembered append choice. pictureBits: the depth of the picture to save, which
    // each format starts with where it holds it (0: the format's own default).
    explicit SaveOptionsModel(int formatIndex = 0, bool append = false, int pictureBits = 0,
                              QObject* parent = nullptr);

    const QList<ExportFormat>& formats() const { return ExportFormats(); }
    int formatRow() const { return m_format; }
    const ExportFormat& format() const { return formats().at(m_format); }
    void selectFormat(int row);

    int flavor() const { return m_flavor; }
    void selectFlavor(int position);

    bool bitEnabled(int bits) const { return format().bits.contains(bits); }
    int bits() const { return m_bits; }
    void clickBit(int bits);

    // The quality-factor frame: the predefined list, the box and the bar kept in step.
    bool qualityEnabled() const { return format().quality; }
    bool customEnabled() const { return qualityEnabled() && m_predef == kCustom; }
    // Only "LEAD" chooses among the predefined factors; the JPEG formats keep "CUSTOM".
    bool predefinedEnabled() const { return qualityEnabled() && isLead(); }
    int predefined() const { return m_predef; }
    // The predefined list as shown: "LEAD" at 1 bit offers its two coding choices instead.
    QStringList predefinedList() const;
    void selectPredefined(int position);
    const QString& boxText() const { return m_box; }
    void setBoxText(const QString& text);
    int barValue() const { return m_bar; }
    void setBarValue(int value);
    static constexpr int kBarMin = 2, kBarMax = 255;
    int barMin() const { return isLead() ? -9 : kBarMin; }

    // Append and stamp: PartiallyChecked shows the box greyed (and disabled).
    Qt::CheckState appendState() const;
    void setAppend(bool on);
    Qt::CheckState stampState() const;
    void setStamp(bool on);

    // OK: false (the window stays open) when the quality factor is not one the format can use
    // or the stamp's size was not given. askStamp shows the stamp-size prompt.
    bool accept(const std::function<std::optional<StampOptions>()>& askStamp);
    // Why the last accept() refused the quality factor, for a message; the box then shows the
    // factor in force again. Empty when it did not.
    const QString& refusal() const { return m_refusal; }
    void cancel() { m_accepted = false; }

    // Kodak FlashPix asks how its tiles are compressed: the prompt's title and text.
    static const QString& flashPixTypeTitle();
    static const QString& flashPixTypePrompt();
    enum class TypeAnswer { Empty, Invalid, Valid };
    // Takes the answer to that prompt; Invalid also withdraws the acceptance.
    TypeAnswer setFlashPixType(const QString& answer);

    // Whether a writer here can make the chosen format and flavor; when not, what to say and the
    // nearest choice that can be written (empty when there is none).
    bool writable() const;
    QString nearestOffer() const;
    bool hasNearest() const { return NearestWritable(code(), m_bits).has_value(); }
    // Switches to that nearest choice, keeping the quality factor and stamp where they apply.
    bool useNearest();

    // What the export does with the choices.
    SaveChoice choice() const;

signals:
    void changed();

private:
    bool isLead() const { return format().index == kLead; }
    bool leadBits() const { return isLead() && m_bits == 1; }
    void startQuality();
    int code() const;

    int m_format = 0;
    int m_flavor = 0;
    int m_bits = 0;
    int m_predef = kCustom;
    QString m_box;
    int m_bar = 20;
    bool m_append = false;
    bool m_stamp = false;
    bool m_accepted = false;
    int m_pictureBits = 0;
    QString m_refusal;
    std::optional<StampOptions> m_stampSize;
    int m_flashPixType = 0;
};

} // namespace q32
