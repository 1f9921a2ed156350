#include "viewer/ui/ImageCaptionWindow.h"

#include "common/Settings.h"
#include "common/Text.h"
#include "platform/prompt/PromptService.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace q32 {
namespace {

// A label that opens the colour dialog when clicked.
class Swatch : public QLabel {
public:
    std::function<void()> onClick;
    using QLabel::QLabel;

protected:
    void mouseReleaseEvent(QMouseEvent*) override {
        if (onClick)
            onClick();
    }
};

} // namespace

ImageCaptionWindow::ImageCaptionWindow(Settings& settings, PromptService& prompts, int screenWidth,
                                       QWidget* parent)
    : QDialog(parent), m_settings(settings), m_prompts(prompts) {
    setObjectName(QStringLiteral("ImageCaption"));
    setWindowTitle(QStringLiteral("Photo Album Caption Properties"));
    setProperty("helpPage", QStringLiteral("captions.html"));
    m_caption = GetCaptionProperties(settings, screenWidth);

    auto* position = new QGroupBox(QStringLiteral("Position"), this);
    auto* pg = new QGridLayout(position);
    const QString labels[4] = {QStringLiteral("Left"), QStringLiteral("Top"),
                               QStringLiteral("Width"), QStringLiteral("Height")};
    const int values[4] = {m_caption.left, m_caption.top, m_caption.width, m_caption.height};
    for (int i = 0; i < 4; ++i) {
        m_entries[i] = new QLineEdit(QString::number(values[i]), position);
        m_entries[i]->setObjectName(QStringLiteral("Text1_%1").arg(i));
        auto* spinner = new QWidget(position);
        spinner->setObjectName(QStringLiteral("Spin1_%1").arg(i));
        auto* up = new QToolButton(spinner);
        up->setObjectName(QStringLiteral("up"));
        up->setArrowType(Qt::UpArrow);
        auto* down = new QToolButton(spinner);
        down->setObjectName(QStringLiteral("down"));
        down->setArrowType(Qt::DownArrow);
        auto* sl = new QHBoxLayout(spinner);
        sl->setContentsMargins(0, 0, 0, 0);
        sl->addWidget(up);
        sl->addWidget(down);
        connect(up, &QToolButton::clicked, this, [this, i] { spin(i, 1); });
        connect(down, &QToolButton::clicked, this, [this, i] { spin(i, -1); });
        pg->addWidget(new QLabel(labels[i], position), i, 0);
        pg->addWidget(m_entries[i], i, 1);
        pg->addWidget(spinner, i, 2);
    }

    auto* colours = new QGroupBox(QStringLiteral("Colors"), this);
    auto* cg = new QGridLayout(colours);
    auto* fore = new Swatch(colours);
    auto* back = new Swatch(colours);
    fore->setObjectName(QStringLiteral("Label7"));
    back->setObjectName(QStringLiteral("Label8"));
    fore->onClick = [this] { chooseForeColour(); };
    back->onClick = [this] { chooseBackColour(); };
    m_fore = fore;
    m_back = back;
    for (QLabel* s : {m_fore, m_back}) {
        s->setFixedSize(48, 24);
        s->setFrameShape(QFrame::Box);
        s->setCursor(Qt::PointingHandCursor);
    }
    cg->addWidget(new QLabel(QStringLiteral("Foreground"), colours), 0, 0);
    cg->addWidget(m_fore, 0, 1);
    cg->addWidget(new QLabel(QStringLiteral("Background"), colours), 1, 0);
    cg->addWidget(m_back, 1, 1);
    paintSwatch(m_fore, m_caption.foreColor);
    paintSwatch(m_back, m_caption.backColor);

    auto* font = new QGroupBox(QStringLiteral("Font"), this);
    auto* fg = new QGridLayout(font);
    m_name = new QLabel(m_caption.fontName, font);
    m_name->setObjectName(QStringLiteral("Label10"));
    m_size = new QLabel(QString::number(m_caption.fontSize), font);
    m_size->setObjectName(QStringLiteral("Label9"));
    m_bold = new QCheckBox(QStringLiteral("Bold"), font);
    m_bold->setObjectName(QStringLiteral("SSCheck1"));
    m_bold->setChecked(m_caption.bold);
    m_italic = new QCheckBox(QStringLiteral("Italic"), font);
    m_italic->setObjectName(QStringLiteral("SSCheck2"));
    m_italic->setChecked(m_caption.italic);
    auto* change = new QPushButton(QStringLiteral("Change"), font);
    change->setObjectName(QStringLiteral("SSCommand2"));
    connect(change, &QPushButton::clicked, this, &ImageCaptionWindow::chooseFont);
    fg->addWidget(new QLabel(QStringLiteral("Name"), font), 0, 0);
    fg->addWidget(m_name, 0, 1);
    fg->addWidget(new QLabel(QStringLiteral("Size"), font), 1, 0);
    fg->addWidget(m_size, 1, 1);
    fg->addWidget(new QLabel(QStringLiteral("points"), font), 1, 2);
    fg->addWidget(m_bold, 2, 0);
    fg->addWidget(m_italic, 2, 1);
    fg->addWidget(change, 3, 0, 1, 3);

    m_border[0] = new QRadioButton(QStringLiteral("No border"), this);
    m_border[1] = new QRadioButton(QStringLiteral("Border"), this);
    for (int i = 0; i < 2; ++i)
        m_border[i]->setObjectName(QStringLiteral("Option3D1_%1").arg(i));
    m_border[m_caption.borderStyle == 1 ? 1 : 0]->setChecked(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("SSCommand4"));
    ok->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("SSCommand1"));
    connect(ok, &QPushButton::clicked, this, &ImageCaptionWindow::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &ImageCaptionWindow::cancel);

    auto* grid = new QGridLayout(this);
    grid->addWidget(position, 0, 0, 3, 1);
    grid->addWidget(colours, 0, 1);
    grid->addWidget(font, 1, 1);
    grid->addWidget(m_border[0], 2, 1);
    grid->addWidget(m_border[1], 3, 1);
    grid->addWidget(ok, 4, 0);
    grid->addWidget(cancelButton, 4, 1);
    move(m_settings.get(key::CaptionWindowPlace));
}

void ImageCaptionWindow::paintSwatch(QLabel* swatch, const QColor& colour) {
    swatch->setStyleSheet(QStringLiteral("background-color: %1").arg(colour.name()));
    swatch->setProperty("colour", colour);
}

void ImageCaptionWindow::spin(int i, int step) {
    if (m_entries[i]->text().isEmpty())
        m_entries[i]->setText(QStringLiteral("0"));
    const long long value = std::max(0LL, RoundHalfEven(Val(m_entries[i]->text())) + step);
    m_entries[i]->setText(QString::number(value));
}

void ImageCaptionWindow::chooseForeColour() {
    if (const auto c = m_prompts.chooseColor(m_fore->property("colour").value<QColor>()))
        paintSwatch(m_fore, *c);
}

void ImageCaptionWindow::chooseBackColour() {
    if (const auto c = m_prompts.chooseColor(m_back->property("colour").value<QColor>()))
        paintSwatch(m_back, *c);
}

void ImageCaptionWindow::chooseFont() {
    const auto f = m_prompts.chooseFont(properties().font());
    if (!f)
        return;
    m_name->setText(f->family());
    m_size->setText(QString::number(f->pointSize()));
    m_bold->setChecked(f->bold());
    m_italic->setChecked(f->italic());
}

CaptionProperties ImageCaptionWindow::properties() const {
    CaptionProperties c;
    c.fontName = m_name->text();
    c.fontSize = int(Val(m_size->text()));
    c.bold = m_bold->isChecked();
    c.italic = m_italic->isChecked();
    c.borderStyle = m_border[1]->isChecked() ? 1 : 0;
    c.foreColor = m_fore->property("colour").value<QColor>();
    c.backColor = m_back->property("colour").value<QColor>();
    c.left = int(Val(m_entries[0]->text()));
    c.top = int(Val(m_entries[1]->text()));
    c.width = int(Val(m_entries[2]->text()));
    c.height = int(Val(m_entries[3]->text()));
    return c;
}

void ImageCaptionWindow::storePosition() {
    m_settings.set(key::CaptionWindowPlace, pos());
}

void ImageCaptionWindow::confirm() {
    storePosition();
    StoreCaptionProperties(m_settings, properties());
    accept();
}

void ImageCaptionWindow::cancel() {
    storePosition();
    reject();
}

} // namespace q32
