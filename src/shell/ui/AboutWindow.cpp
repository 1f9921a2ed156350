#include "shell/ui/AboutWindow.h"

#include "common/ProgramState.h"
#include "common/SharedServices.h"
#include "platform/prompt/PromptService.h"
#include "quillon/Version.h"
#include "shell/AboutSummary.h"
#include "shell/ui/CommandBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>

namespace q32 {
namespace {

constexpr int kWidth = 540;
constexpr int kHeight = 330;
constexpr int kBands = 63;

// A small print of a landscape; the sun stands higher in each frame.
QPixmap animationFrame(int n) {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 4, 4);
    QLinearGradient sky(0, 6, 0, 58);
    sky.setColorAt(0, QColor(70, 130, 220));
    sky.setColorAt(1, QColor(250, 190, 120));
    p.setBrush(sky);
    p.drawRect(QRectF(6, 6, 52, 52));
    p.setBrush(QColor(255, 214, 60));
    p.drawEllipse(QPointF(40, 44 - 10 * n), 7, 7);
    QPainterPath hills;
    hills.moveTo(6, 58);
    hills.lineTo(6, 44);
    hills.quadTo(20, 34, 32, 44);
    hills.quadTo(46, 52, 58, 40);
    hills.lineTo(58, 58);
    hills.closeSubpath();
    p.setBrush(QColor(40, 120, 60));
    p.drawPath(hills);
    return pixmap;
}

QLabel* textLabel(const QString& name, const QString& text, int pointDelta, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    if (pointDelta) {
        QFont font = label->font();
        font.setPointSize(font.pointSize() + pointDelta);
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace

AboutWindow::AboutWindow(ProgramState& state, PromptService& prompts, QWidget* parent)
    : QDialog(parent), m_state(state), m_prompts(prompts), m_picture(new QLabel(this)),
      m_timer(new QTimer(this)), m_openingBox(new QCheckBox(this)) {
    setObjectName(QStringLiteral("AboutPelorus"));
    setWindowTitle(QStringLiteral("About Quillon 32"));
    setProperty("helpPage", QStringLiteral("about.html"));
    setFixedSize(kWidth, kHeight);

    for (int i = 0; i < 3; ++i) {
        m_frames[i] = new QLabel(this);
        m_frames[i]->setObjectName(QStringLiteral("Picture2_%1").arg(i));
        m_frames[i]->setPixmap(animationFrame(i));
        m_frames[i]->hide();
    }
    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_picture->setGeometry(24, 22, 64, 64);
    m_picture->setPixmap(m_frames[0]->pixmap());
    m_picture->setCursor(Qt::PointingHandCursor);
    m_picture->setToolTip(QStringLiteral("Click to stop or start the picture"));
    m_picture->installEventFilter(this);

    textLabel(QStringLiteral("ProductName"), QStringLiteral("Quillon 32"), 8, this)
        ->setGeometry(110, 18, 350, 40);
    textLabel(QStringLiteral("Version"), QStringLiteral("Version " QUILLON_VERSION), 0, this)
        ->setGeometry(112, 58, 350, 20);
    textLabel(QStringLiteral("Purpose"),
              QStringLiteral("Your pictures, clips and sounds in one album file."), 0, this)
        ->setGeometry(112, 78, 350, 20);

    auto* web = textLabel(QStringLiteral("WebAddress"),
                          QStringLiteral("<a href=\"%1\" style=\"color:#c0d8ff\">%1</a>")
                              .arg(QStringLiteral(QUILLON_HOMEPAGE)),
                          0, this);
    web->setGeometry(112, 98, 400, 20);
    web->setTextFormat(Qt::RichText);
    web->setToolTip(QStringLiteral("Open the web page in your browser"));
    connect(web, &QLabel::linkActivated, this, &AboutWindow::openWebAddress);

    // The machine summary; a processor the system does not name gets no line.
    const QScreen* screen =
        parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    QStringList lines;
    if (const QString processor = ThisProcessorLine(); !processor.isEmpty())
        lines << processor;
    lines << ThisOperatingSystemLine() << ThisMemoryLine()
          << ColourDepthLine(screen ? screen->depth() : 24);
    auto* summary =
        textLabel(QStringLiteral("MachineSummary"), lines.join(QLatin1Char('\n')), 0, this);
    summary->setGeometry(24, 118, 500, 100);
    summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    summary->setWordWrap(true);

    m_openingBox->setObjectName(QStringLiteral("Check3D1"));
    m_openingBox->setText(QStringLiteral("Do not show this window when Quillon 32 starts"));
    QPalette boxPalette = m_openingBox->palette();
    boxPalette.setColor(QPalette::WindowText, Qt::white);
    m_openingBox->setPalette(boxPalette);
    m_openingBox->setGeometry(24, 244, 496, 24);
    // A ticked box means no opening screen at the next start.
    m_openingBox->setChecked(!m_state.options.OpeningScreen);
    connect(m_openingBox, &QCheckBox::clicked, this,
            [this](bool ticked) { m_state.options.OpeningScreen = !ticked; });

    auto* systemInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    systemInfo->setObjectName(QStringLiteral("Command1"));
    systemInfo->setGeometry(304, 284, 120, 30);
    connect(systemInfo, &QPushButton::clicked, this, &AboutWindow::startSystemInfo);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(432, 284, 88, 30);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &AboutWindow::closeWithOk);

    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(400);
    connect(m_timer, &QTimer::timeout, this, &AboutWindow::showNextFrame);
    m_timer->start();
}

void AboutWindow::showModal(ProgramState& state, PromptService& prompts, CommandBar& tools,
                            QWidget* parent) {
    AboutWindow about(state, prompts, parent);
    connect(&about, &AboutWindow::openingScreenChosen, &tools,
            [&tools](bool show) { tools.setChecked(QStringLiteral("ID_OpeningScreen"), show); });
    about.exec();
}

const QStringList& AboutWindow::systemInfoPrograms() {
    static const QStringList programs = {QStringLiteral("hardinfo"),
                                         QStringLiteral("hardinfo2"),
                                         QStringLiteral("kinfocenter"),
                                         QStringLiteral("gnome-system-monitor"),
                                         QStringLiteral("mate-system-monitor"),
                                         QStringLiteral("xfce4-taskmanager")};
    return programs;
}

void AboutWindow::startSystemInfo() {
    for (const QString& name : systemInfoPrograms()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty() && QProcess::startDetached(program, {}))
            return;
    }
    m_prompts.msgBox(QStringLiteral("System Information Is Unavailable At This Time"),
                     MsgIcon::None, QString());
}

void AboutWindow::openWebAddress(const QString& address) {
    if (OpenWebPage(address))
        return;
    m_prompts.msgBox(QStringLiteral("No web browser could be started for ") + address +
                         QStringLiteral("."),
                     MsgIcon::Exclamation, QStringLiteral("ABOUT"));
}

void AboutWindow::paintEvent(QPaintEvent*) {
    // 63 bands from full blue down in steps of 4, then black. The band height is computed from
    // the window height held in 16 bits.
    QPainter p(this);
    const int band = int(int16_t(height())) / kBands;
    int top = 0;
    int bottom = band;
    for (int i = 0, blue = 255; i < kBands; ++i, blue -= 4) {
        p.fillRect(0, top, width(), bottom - top, QColor(0, 0, blue));
        top = bottom;
        bottom += band + 1;
    }
    p.fillRect(0, top, width(), bottom + kBands - top, Qt::black);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_picture && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        toggleAnimation();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool AboutWindow::animating() const {
    return m_timer->isActive();
}

void AboutWindow::toggleAnimation() {
    m_stopped = !m_stopped;
    if (m_stopped)
        m_timer->stop();
    else
        m_timer->start();
}

void AboutWindow::showNextFrame() {
    m_picture->setPixmap(m_frames[m_frame]->pixmap());
    m_frame = (m_frame + 1) % 3;
}

void AboutWindow::closeWithOk() {
    m_timer->stop();
    emit openingScreenChosen(m_state.options.OpeningScreen);
    accept();
}

} // namespace q32
