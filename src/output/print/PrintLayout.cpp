#include "output/print/PrintLayout.h"

#include "common/ProgramState.h"
#include "common/Settings.h"
#include "common/Text.h"
#include "platform/prompt/PromptService.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace q32 {
namespace {

constexpr char16_t kResolutionQuestion[] =
    u"Unable to obtain printer resolution from printer driver.  Please enter printer resolution:";

// The sheet is drawn as an 8.5 x 11 inch page at 300 twips per inch, and the window's sizes are
// kept in twips; at the usual 96 pixels per inch a pixel is 15 twips.
constexpr int kTwipsPerPixel = 15;
constexpr int kSheetShortTwips = 2550;
constexpr int kSheetLongTwips = 3300;

int ToInt16(double value) {
    const long long v = RoundHalfEven(value);
    return int(std::clamp<long long>(v, std::numeric_limits<qint16>::min(),
                                     std::numeric_limits<qint16>::max()));
}

const char* const kCaptions[5] = {"Left", "Top", "Width", "Height", "Increment"};

// What a box can hold while a number is typed: digits, a leading minus, one decimal point.
bool IsNumberText(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]*\\.?[0-9]*$"));
    return number.match(text).hasMatch();
}

} // namespace

QString PrintNumberText(double value) {
    if (value == 0)
        return QStringLiteral("0"); // never "-0"
    return QString::number(value, 'g', 15);
}

QString PrintSingleText(float value) {
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(double(value), 'g', 7);
}

PrintLayout::PrintLayout(Settings& settings, PromptService& prompts, ProgramState& state)
    : m_settings(settings), m_prompts(prompts), m_state(state) {}

bool PrintLayout::takePrinterFacts(const PrinterFacts& facts) {
    m_printerName = facts.deviceName.section(QChar(0), 0, 0);

    if (facts.resolution != 0) {
        m_resolutionText = QString::number(facts.resolution);
    } else {
        const QString answer =
            m_prompts.input(QString::fromUtf16(kResolutionQuestion),
                            QStringLiteral("PRINTER RESOLUTION"), QStringLiteral("600"));
        if (answer.isEmpty()) {
            m_state.StatusWord = 1;
            return false;
        }
        m_state.StatusWord = 0;
        m_resolutionText = answer;
    }
    m_copiesText = QString::number(facts.copies);

    m_portrait = facts.orientation == kOrientationPortrait;
    switch (facts.paper) {
    case kPaperLetter:
        m_paperWidth = m_portrait ? 7.5f : 10.5f;
        m_paperLength = m_portrait ? 10.5f : 7.5f;
        break;
    case kPaperLegal:
        m_paperWidth = m_portrait ? 7.5f : 13.5f;
        m_paperLength = m_portrait ? 13.5f : 7.5f;
        break;
    case kPaperOther:
        m_paperWidth = float(facts.printableInches.width());
        m_paperLength = float(facts.printableInches.height());
        break;
    default: {
        const QString width =
            m_prompts.input(QStringLiteral("Please enter paper width (in inches):"),
                            QStringLiteral("PAPER WIDTH"), QStringLiteral("8.5"));
        m_paperWidth = width.isEmpty() ? 7.5f : float(Val(width));
        const QString length =
            m_prompts.input(QStringLiteral("Please enter paper length (in inches):"),
                            QStringLiteral("PAPER LENGTH"), QStringLiteral("11"));
        m_paperLength = length.isEmpty() ? 10.5f : float(Val(length));
    }
    }

    // The short side of the sheet on the screen matches the printable short side of the paper.
    m_previewShortSide = float(kSheetShortTwips) / kTwipsPerPixel;
    m_printableShortSide = float((m_portrait ? m_paperWidth : m_paperLength) * resolution());
    return true;
}

QString PrintLayout::paperText() const {
    return PrintSingleText(m_paperWidth) + QStringLiteral("\" x ") +
           PrintSingleText(m_paperLength) + QLatin1Char('"');
}

QString PrintLayout::orientationText() const {
    return m_portrait ? QStringLiteral("Portrait") : QStringLiteral("Landscape");
}

double PrintLayout::resolution() const {
    return Val(m_resolutionText);
}

float PrintLayout::dotScale() const {
    return m_previewShortSide > 0 ? m_printableShortSide / m_previewShortSide : 0.0f;
}

QSize PrintLayout::windowSize() const {
    return m_portrait ? QSize(7200 / kTwipsPerPixel, 5700 / kTwipsPerPixel)
                      : QSize(8000 / kTwipsPerPixel, 5700 / kTwipsPerPixel);
}

QSize PrintLayout::panelSize() const {
    return m_portrait ? QSize(177, 225) : QSize(225, 177);
}

QSize PrintLayout::sheetSize() const {
    const QSize portrait(kSheetShortTwips / kTwipsPerPixel, kSheetLongTwips / kTwipsPerPixel);
    return m_portrait ? portrait : portrait.transposed();
}

QPoint PrintLayout::savedWindowPosition() const {
    return {m_settings.integer(QLatin1String(printsection::Window), QStringLiteral("Left")),
            m_settings.integer(QLatin1String(printsection::Window), QStringLiteral("Top"))};
}

void PrintLayout::saveWindowPosition(QPoint position) {
    m_settings.RegPutString(QLatin1String(printsection::Window), QStringLiteral("Left"),
                            QString::number(position.x()));
    m_settings.RegPutString(QLatin1String(printsection::Window), QStringLiteral("Top"),
                            QString::number(position.y()));
}

bool PrintLayout::dither() const {
    return m_settings.number(QLatin1String(section::Options), QStringLiteral("DitherPaint")) != 0;
}

void PrintLayout::load(QSize pictureSize) {
    m_armed = false;
    m_loading = true;
    m_picture = pictureSize;
    const QString hardCopy = QLatin1String(printsection::HardCopy);
    m_preserveRatio = m_settings.number(hardCopy, QStringLiteral("PreserveRatio")) != 0;
    m_increment = ToInt16(m_settings.number(hardCopy, QStringLiteral("SpinIncrement")));
    setBox(PrintBox::Left,
           PrintNumberText(m_settings.number(hardCopy, QStringLiteral("PrintLeft"))));
    setBox(PrintBox::Top, PrintNumberText(m_settings.number(hardCopy, QStringLiteral("PrintTop"))));
    setBox(PrintBox::Increment, QString::number(m_increment));
    setBox(PrintBox::Width, PrintSingleText(float(pictureSize.width())));
    setBox(PrintBox::Height, PrintSingleText(float(pictureSize.height())));
    m_loading = false;
    redraw();
    m_armed = true;
}

QString PrintLayout::text(PrintBox box) const {
    return m_boxes[int(box)];
}

double PrintLayout::value(PrintBox box) const {
    return Val(m_boxes[int(box)]);
}

void PrintLayout::edit(PrintBox box, const QString& text) {
    const QString caption = QLatin1String(kCaptions[int(box)]);
    if (!IsNumberText(text)) {
        refuse(box,
               QStringLiteral("%1 takes a number of dots: \"%2\" is not one.").arg(caption, text));
        return;
    }
    if ((box == PrintBox::Left || box == PrintBox::Top) && Val(text) > furthest(box)) {
        refuse(box, QStringLiteral("%1 can be at most %2 dots: any further and the picture "
                                   "would leave the page.")
                        .arg(caption, PrintNumberText(furthest(box))));
        return;
    }
    setBox(box, text);
}

void PrintLayout::refuse(PrintBox box, const QString& why) {
    if (boxRewritten)
        boxRewritten(box); // the box shows the value in force again
    m_prompts.msgBox(why, MsgIcon::Exclamation, QStringLiteral("WARNING"));
}

QSizeF PrintLayout::pageDots() const {
    const double dpi = resolution();
    if (dpi <= 0)
        return {};
    // The sheet is as wide as the printable area but shows less of its length: what lies
    // beyond the sheet could not be seen where it is placed.
    const QSizeF sheet = QSizeF(sheetSize()) * double(dotScale());
    return QSizeF(double(m_paperWidth) * dpi, double(m_paperLength) * dpi).boundedTo(sheet);
}

double PrintLayout::furthest(PrintBox box) const {
    const QSizeF page = pageDots();
    if (page.isEmpty())
        return std::numeric_limits<double>::infinity();
    const bool across = box == PrintBox::Left;
    const double size = value(across ? PrintBox::Width : PrintBox::Height);
    // A picture larger than the page starts at its edge.
    return std::max(0.0, std::floor((across ? page.width() : page.height()) - size));
}

// A box's text was set, by a person or by the layout; like any text box it reacts only when
// the text really changed.
void PrintLayout::setBox(PrintBox box, const QString& text) {
    QString& current = m_boxes[int(box)];
    if (current == text)
        return;
    current = text;
    if (boxRewritten)
        boxRewritten(box);
    changed(box);
}

void PrintLayout::changed(PrintBox box) {
    if (!m_armed || m_loading || text(box).isEmpty())
        return;
    // The ratio is held in single precision: the partner box shows its rounding.
    const float ratio = m_picture.height() > 0 ? float(m_picture.width()) / m_picture.height() : 1;
    switch (box) {
    case PrintBox::Left:
    case PrintBox::Top:
        if (value(box) < 0) {
            setBox(box, QStringLiteral("0")); // stores and redraws
            return;
        }
        store(box == PrintBox::Left ? "PrintLeft" : "PrintTop", text(box));
        break;
    case PrintBox::Width:
    case PrintBox::Height:
        // The partner's own change leaves the drawing to the box that wrote it: typing
        // settles at once and keeps what was typed.
        if (m_writingPartner)
            return;
        if (m_preserveRatio) {
            m_writingPartner = true;
            if (box == PrintBox::Width)
                setBox(PrintBox::Height, PrintNumberText(value(box) / double(ratio)));
            else
                setBox(PrintBox::Width, PrintNumberText(value(box) * double(ratio)));
            m_writingPartner = false;
        }
        break;
    case PrintBox::Increment:
        m_increment = ToInt16(value(box));
        store("SpinIncrement", text(box));
        return;
    }
    redraw();
}

bool PrintLayout::acceptsDigit(const QString& prospectiveText) const {
    const double v = Val(prospectiveText);
    return RoundHalfEven(v) >= std::numeric_limits<qint32>::min() &&
           RoundHalfEven(v) <= std::numeric_limits<qint32>::max() && v > -9.3e18 &&
           v < 9.3e18; // beyond that RoundHalfEven itself overflows
}

void PrintLayout::setPreserveRatio(bool on) {
    if (!m_armed || m_loading)
        return;
    m_preserveRatio = on;
    // Ticking does not resize: the next change of either size does.
    store("PreserveRatio", on ? QStringLiteral("1") : QStringLiteral("0"));
}

void PrintLayout::spinUp(PrintBox box) {
    const double v = value(box);
    switch (box) {
    case PrintBox::Left:
        // An empty box counts as 0; the step stops where the picture reaches the page's edge.
        setBox(box, PrintNumberText(std::min(v + m_increment, furthest(box))));
        redraw();
        break;
    case PrintBox::Top:
        if (text(box).isEmpty())
            return;
        setBox(box, PrintNumberText(std::min(v + m_increment, furthest(box))));
        redraw();
        break;
    case PrintBox::Width:
    case PrintBox::Height:
        spinSize(box, true);
        break;
    case PrintBox::Increment:
        break;
    }
}

void PrintLayout::spinDown(PrintBox box) {
    const double v = value(box);
    switch (box) {
    case PrintBox::Left:
    case PrintBox::Top:
        if (v <= 0) {
            setBox(box, QStringLiteral("0"));
            return;
        }
        setBox(box, PrintNumberText(v - m_increment));
        redraw();
        break;
    case PrintBox::Width:
    case PrintBox::Height:
        spinSize(box, false);
        break;
    case PrintBox::Increment:
        break;
    }
}

// The size spins write both boxes themselves, with the change reactions held off.
void PrintLayout::spinSize(PrintBox box, bool up) {
    const bool armed = m_armed;
    m_armed = false;
    const PrintBox partner = box == PrintBox::Width ? PrintBox::Height : PrintBox::Width;
    const float ratio = m_picture.height() > 0 ? float(m_picture.width()) / m_picture.height() : 1;
    auto partnerOf = [&](double size) {
        return box == PrintBox::Width ? size / double(ratio) : size * double(ratio);
    };
    const double v = value(box);
    if (up) {
        const double size = v + m_increment;
        setBox(box, PrintNumberText(size));
        if (m_preserveRatio)
            setBox(partner, PrintNumberText(partnerOf(size)));
        redraw();
    } else if (v <= 0) {
        setBox(box, QStringLiteral("0"));
    } else {
        const QString old = text(box);
        const double size = v - m_increment;
        setBox(box, PrintNumberText(size));
        if (size < 1) {
            setBox(box, old);
            m_prompts.beep();
            if (refused)
                refused();
        } else {
            if (m_preserveRatio)
                setBox(partner, PrintNumberText(partnerOf(size)));
            redraw();
        }
    }
    m_armed = armed;
}

void PrintLayout::dropAt(QPointF point) {
    const double scale = dotScale();
    for (const PrintBox box : {PrintBox::Left, PrintBox::Top}) {
        const double at = box == PrintBox::Left ? point.x() : point.y();
        setBox(box, PrintNumberText(std::clamp(std::round(at * scale), 0.0, furthest(box))));
    }
}

QRectF PrintLayout::sheetRect() const {
    const double k =
        m_printableShortSide > 0 ? double(m_previewShortSide / m_printableShortSide) : 0.0;
    return {value(PrintBox::Left) * k, value(PrintBox::Top) * k, value(PrintBox::Width) * k,
            value(PrintBox::Height) * k};
}

QRectF PrintLayout::pageRect() const {
    return {double(float(value(PrintBox::Left))), double(float(value(PrintBox::Top))),
            double(float(value(PrintBox::Width))), double(float(value(PrintBox::Height)))};
}

void PrintLayout::redraw() {
    // The sheet shows the picture as a control of that size; Qt keeps no control larger than
    // 16777215 pixels, and a size beyond it would be drawn as something else.
    constexpr double kLargestControl = 16777215;
    const QRectF r = sheetRect();
    for (const double v : {r.left(), r.top(), r.width(), r.height()}) {
        if (!std::isfinite(v) || std::abs(v) > kLargestControl) {
            m_prompts.beep();
            m_prompts.msgBox(QStringLiteral("Overflow"), MsgIcon::Critical,
                             QStringLiteral("UNEXPECTED ERROR!  (PrintFrm: ImagePreview)"));
            return;
        }
    }
    if (sheetChanged)
        sheetChanged();
}

void PrintLayout::store(const char* name, const QString& text) {
    m_settings.RegPutString(QLatin1String(printsection::HardCopy), QLatin1String(name), text);
}

} // namespace q32
