// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/forms/frmKorvane.h"

#include "aids/BandPlan.h"
#include "aids/CallLookup.h"
#include "aids/DecodeLine.h"
#include "cat/CommEvents.h"
#include "cat/FrequencyDisplay.h"
#include "config/InitConfigFile.h"
#include "config/TextFile.h"
#include "config/WindowPositionFile.h"
#include "spectrum/ClockText.h"
#include "spectrum/SoundCardEngine.h"
#include "spectrum/SpectrumWindowHook.h"
#include "spectrum/widgets/SpectrumPicture.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <type_traits>

using namespace Qt::StringLiterals;

namespace veltrane::app {

namespace {

constexpr double kWindowHeightTwips = 3030;
constexpr double kWindowWidthTwips = 9165;

// A control's accessible identity: its name is what the operator sees, its description the
// control's own name, a stable key for screen-reader scripts and tests.
// A label speaks its own text (the clock's time, an offset): given a name, Qt would speak the
// name instead, so labels get only the description.
template <typename W> W *named(W *widget, const QString &objectName, const QString &visibleName)
{
    widget->setObjectName(objectName);
    if constexpr (!std::is_base_of_v<QLabel, W>)
        widget->setAccessibleName(visibleName);
    widget->setAccessibleDescription(objectName);
    return widget;
}

// Keeps typing in the band list's edit field from acting as a pick: only the operator's choice
// in the list sends frames.
class ReturnSwallower : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Widens a box so its title bar can show the whole title: a box sizes itself to its text alone,
// and window managers cut a title that does not fit (the first-start note's title is longer than
// its text, the line error's much longer). Seven lines' height is room for the title bar's icon
// and buttons.
void fitTitle(QMessageBox *box)
{
    auto *grid = qobject_cast<QGridLayout *>(box->layout());
    if (!grid)
        return;
    const QFontMetrics metrics = box->fontMetrics();
    const int width = metrics.horizontalAdvance(box->windowTitle()) + 7 * metrics.height();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace

frmKorvane::frmKorvane(int soundDevice, cat::TransportFactory factory, spectrum::SoundCardEngine *engine,
                       std::function<QDateTime()> now, QWidget *parent)
    : QMainWindow(parent), m_soundDevice(soundDevice), m_factory(std::move(factory)), m_engine(engine),
      m_now(std::move(now)),
      m_painter(spectrum::SpectrumGeometry{9045.0, 945.0,
                                           spectrum::SpectrumGeometry::twipsPerPixelForDpi(logicalDpiY())})
{
    setObjectName(QStringLiteral("frmKorvane"));
    setWindowTitle(QStringLiteral("QSO Logging"));

    buildControls();
}

frmKorvane::~frmKorvane()
{
    Form_Unload();
}

int frmKorvane::twipsToPixels(double twips) const
{
    return int(std::lround(twips * logicalDpiY() / 1440.0));
}

double frmKorvane::pixelsToTwips(int pixels) const
{
    return pixels * 1440.0 / logicalDpiY();
}

void frmKorvane::buildControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("frmKorvaneClient"));
    setCentralWidget(central);
    auto place = [this](QWidget *w, double left, double top, double width, double height) {
        w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
    };

    m_reset = menuBar()->addAction(tr("再設定"));
    m_reset->setObjectName(QStringLiteral("ReSet"));
    connect(m_reset, &QAction::triggered, this, &frmKorvane::resetRequested);

    // Call import, offset, frequency set, other station's call and its lookup.
    m_command3 =
        named(new QPushButton(tr("コール取込"), central), QStringLiteral("Command3"), tr("コール取込"));
    place(m_command3, 60, 60, 1200, 345);
    connect(m_command3, &QPushButton::clicked, this, &frmKorvane::Command3_Click);

    m_txtDeffF =
        named(new QLineEdit(QStringLiteral("0"), central), QStringLiteral("txtDeffF"), QStringLiteral("DF"));
    place(m_txtDeffF, 1290, 60, 700, 345);

    m_command5 =
        named(new QPushButton(tr("周波数Set"), central), QStringLiteral("Command5"), tr("周波数Set"));
    place(m_command5, 2020, 60, 1100, 345);
    connect(m_command5, &QPushButton::clicked, this, &frmKorvane::Command5_Click);

    auto *hisLabel = named(new QLabel(QStringLiteral("His Call"), central), QStringLiteral("Label2_1"),
                           QStringLiteral("His Call"));
    place(hisLabel, 3200, 60, 700, 345);
    m_txtHis = named(new QLineEdit(central), QStringLiteral("txtHis"), QStringLiteral("His Call"));
    hisLabel->setBuddy(m_txtHis);
    place(m_txtHis, 3900, 60, 1300, 345);

    m_command4 = named(new QPushButton(aids::lookupServiceName(), central), QStringLiteral("Command4"),
                       aids::lookupServiceName());
    place(m_command4, 5230, 60, 1000, 345);
    connect(m_command4, &QPushButton::clicked, this, &frmKorvane::Command4_Click);

    m_lbTime = named(new QLabel(central), QStringLiteral("lbTime"), QString());
    m_lbTime->setAutoFillBackground(true);
    QPalette clockPalette = m_lbTime->palette();
    clockPalette.setColor(QPalette::Window, QColor(0, 0, 128));
    clockPalette.setColor(QPalette::WindowText, Qt::white);
    m_lbTime->setPalette(clockPalette);
    QFont clockFont(QStringLiteral("Arial"));
    clockFont.setPointSize(10);
    m_lbTime->setFont(clockFont);
    m_lbTime->setAlignment(Qt::AlignCenter);
    place(m_lbTime, 6330, 60, 2775, 345);

    // Offsets from the centre above the picture.
    const QString offsets[5] = {QStringLiteral("-1000"), QStringLiteral("-500"), QStringLiteral("0"),
                                QStringLiteral("+500"), QStringLiteral("+1000")};
    for (int i = 0; i < 5; ++i) {
        auto *label = named(new QLabel(offsets[i], central), QStringLiteral("Label1_%1").arg(i), offsets[i]);
        const double centre = 60 + i * 9045.0 / 4;
        const double width = 900;
        double left = centre - width / 2;
        Qt::Alignment align = Qt::AlignHCenter;
        if (i == 0) {
            left = 60;
            align = Qt::AlignLeft;
        } else if (i == 4) {
            left = 60 + 9045 - width;
            align = Qt::AlignRight;
        }
        label->setAlignment(align | Qt::AlignBottom);
        place(label, left, 450, width, 285);
    }

    m_picture1 =
        named(new spectrum::SpectrumPicture(central), QStringLiteral("Picture1"), QStringLiteral("Spectrum"));
    m_picture1->setPainter(&m_painter);
    place(m_picture1, 60, 750, 9045, 945);
    m_picture1->setFixedSize(m_painter.image().size());
    connect(m_picture1, &spectrum::SpectrumPicture::clicked, this, &frmKorvane::Picture1_MouseDown);

    // Rig frequency control.
    m_frame1 = named(new QGroupBox(tr("リグ周波数コントロール"), central), QStringLiteral("Frame1"),
                     tr("リグ周波数コントロール"));
    place(m_frame1, 60, 1755, 5400, 720);
    auto *freqLabel = named(new QLabel(tr("周波数"), m_frame1), QStringLiteral("Label2_0"), tr("周波数"));
    place(freqLabel, 120, 300, 600, 345);
    m_txtRigFreq =
        named(new QLineEdit(QStringLiteral("No Data"), m_frame1), QStringLiteral("txtRigFreq"), tr("周波数"));
    freqLabel->setBuddy(m_txtRigFreq);
    place(m_txtRigFreq, 720, 300, 1350, 345);
    connect(m_txtRigFreq, &QLineEdit::textEdited, this, &frmKorvane::txtRigFreq_Change);

    m_combo1 = named(new QComboBox(m_frame1), QStringLiteral("Combo1"), QStringLiteral("Band"));
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    m_combo1->setCompleter(nullptr); // "14" stays "14": only a whole item's text is a band
    m_combo1->addItems(aids::bandItems());
    m_combo1->setEditText(aids::initialBandItem());
    m_combo1->lineEdit()->installEventFilter(new ReturnSwallower(m_combo1));
    place(m_combo1, 2130, 300, 1350, 345);
    connect(m_combo1, &QComboBox::activated, this, &frmKorvane::Combo1_Click);

    m_command1 = named(new QPushButton(tr("基準"), m_frame1), QStringLiteral("Command1"), tr("基準"));
    place(m_command1, 3540, 300, 800, 345);
    connect(m_command1, &QPushButton::clicked, this, &frmKorvane::Command1_Click);

    // Display mode and clock mode.
    auto *modeGroup = new QButtonGroup(this);
    const QString modeCaptions[2] = {QStringLiteral("FFT"), QStringLiteral("WF")};
    for (int i = 0; i < 2; ++i) {
        m_option2[i] = named(new QRadioButton(modeCaptions[i], central), QStringLiteral("Option2_%1").arg(i),
                             modeCaptions[i]);
        place(m_option2[i], 5600 + i * 900, 1900, 850, 345);
        modeGroup->addButton(m_option2[i], i);
    }
    m_option2[0]->setChecked(true);
    // An option acts when it becomes selected, whether by a click, the keyboard or a screen reader.
    connect(modeGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            Option2_Click(id);
    });

    auto *clockGroup = new QButtonGroup(this);
    const QString clockCaptions[2] = {QStringLiteral("JST"), QStringLiteral("UTC")};
    for (int i = 0; i < 2; ++i) {
        m_option1[i] = named(new QRadioButton(clockCaptions[i], central), QStringLiteral("Option1_%1").arg(i),
                             clockCaptions[i]);
        place(m_option1[i], 7500 + i * 850, 1900, 800, 345);
        clockGroup->addButton(m_option1[i], i);
    }
    connect(clockGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            Option1_Click(id);
    });

    resize(twipsToPixels(kWindowWidthTwips), height());
    move(twipsToPixels(kDesignedLeftTwips), twipsToPixels(kDesignedTopTwips));
}

QString frmKorvane::titleFor(const config::StationConfig &config, const QString &portStatus)
{
    // A value from the file is shown up to a length a title can hold.
    const auto shown = [](const QString &value) {
        constexpr qsizetype kLongest = 40;
        return value.size() <= kLongest ? value : value.first(kLongest - 1) + u'…';
    };
    const QString rigName = config.rig.caps ? config.rig.caps->name() : QString();
    return QStringLiteral("Veltrane / ") + shown(config.myCall) + QStringLiteral(" /CAT=") +
           shown(config.catPort.value_or(QString())) + QStringLiteral(" /RIG=") + rigName +
           QStringLiteral(" /STATUS:") + portStatus + QStringLiteral(" /") + QStringLiteral("Ver 1.05");
}

config::SerialControlState frmKorvane::serialControl() const
{
    config::SerialControlState control;
    if (!m_station)
        return control;
    // The port number or device is handed to the port before it is opened, so the dialog shows
    // the configured one even when the open failed.
    if (m_config.catEnabled() && !m_config.catPort.value_or(QString()).isEmpty())
        control.port = *m_config.catPort;
    control.settings = m_station->link().lineSettings().text();
    control.handshaking = int(m_config.extensions.flow);
    return control;
}

std::optional<QString> frmKorvane::Form_Load()
{
    m_config = config::StationConfig{};
    m_config.workDir = QDir::currentPath();

    const QString configPath = config::initConfigPath(m_config.workDir);
    switch (config::readInitConfig(configPath, m_config)) {
    case config::ReadResult::Ok:
        break;
    case config::ReadResult::Unreadable:
        return tr("Init.cfg is missing or cannot be read in %1.")
            .arg(QDir::toNativeSeparators(m_config.workDir));
    case config::ReadResult::TooManyLines:
        return tr("Init.cfg has more than %1 lines.").arg(config::kInitConfigMaxLines);
    case config::ReadResult::NotRegular:
        return tr("Init.cfg is not a regular file in %1.").arg(QDir::toNativeSeparators(m_config.workDir));
    case config::ReadResult::TooLarge:
        return tr("Init.cfg is larger than %1 KiB.").arg(config::kTextFileLimit / 1024);
    }

    m_station = std::make_unique<Station>(m_config, m_factory);
    connect(m_station.get(), &Station::ticking, this, &frmKorvane::showTick);
    connect(m_station.get(), &Station::displayChanged, m_txtRigFreq, &QLineEdit::setText);
    connect(m_station.get(), &Station::bandRecognised, m_combo1, &QComboBox::setEditText);
    connect(m_station.get(), &Station::lineError, this, &frmKorvane::showLineError);
    connect(m_station.get(), &Station::staleChanged, this, &frmKorvane::showStale);
    connect(m_station.get(), &Station::callTaken, this, &frmKorvane::showImport);
    if (QString reason = m_station->openLink(); !reason.isEmpty())
        return reason;

    setWindowTitle(titleFor(m_config, m_station->link().portStatus()));
    m_command3->setToolTip(tr("JT65-HFの受信局のラインを右クリックしてからこのボタンを押してください。"));
    LoadWindowPos();

    if (QString reason = m_station->prepareCivFraming(); !reason.isEmpty())
        return reason;

    resize(width(), twipsToPixels(kWindowHeightTwips));
    m_station->startTimers();
    m_station->startDecoderLink(); // a port it cannot take is said in the settings dialog
    m_lbTime->setText(
        spectrum::clockText(m_now(), m_clockMode, QLocale::system())); // not blank until the first tick

    bool blank = false; // an engine that could not start leaves the picture blank
    if (m_soundDevice != 99) {
        blank = !m_engine || m_engine->fnStartSoundCard(this, m_soundDevice, 1) == 0;
        if (m_engine) {
            m_engine->fnSetRXFrequency(1270, 0, 0);
            m_engine->fnSetRXPSKMode(0, 0);
            m_engine->fnSetSquelchThreshold(0, 0, 0);
            m_engine->fnSetAFCLimit(500, 0);
            m_engine->fnSetFFTMode(3, 100, 1);
        }
        m_painter.startShowing(270, 2270);
        spectrum::HookSpectrumWindow(this, [this] { paintSpectrum(); });
        m_hookInstalled = true;
    } else {
        m_option2[0]->setEnabled(false);
        m_option2[1]->setEnabled(false);
    }
    m_painter.clear();
    if (!blank)
        m_painter.drawFrequencyGrid();
    m_picture1->update();
    return std::nullopt;
}

void frmKorvane::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_station)
        m_station->shutDown();
    SaveWindowPos();
    if (m_soundDevice != 99) {
        // The engine is stopped whether or not start-up got as far as starting it; stopping an
        // engine that never ran does nothing.
        if (m_engine)
            m_engine->fnStopSoundCard();
        if (m_hookInstalled) {
            spectrum::UnhookSpectrumWindow(this);
            m_hookInstalled = false;
        }
    }
    if (m_errorBox)
        m_errorBox->close();
}

void frmKorvane::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmKorvane::LoadWindowPos()
{
    config::WindowPosition saved;
    const int code = config::readWindowPosition(config::windowPositionPath(m_config.workDir), saved);
    if (code != config::kWindowPositionOk) {
        auto *box = new QMessageBox(QMessageBox::NoIcon, config::windowPositionErrorTitle(),
                                    config::windowPositionErrorText(code), QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("WindowPositionMessage"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal); // start-up goes on, no nested event loop
        fitTitle(box);
        // Shown once the main window is (the start shows it after the load), so it opens above
        // the main window instead of under it.
        QTimer::singleShot(0, box, [box] {
            box->show();
            box->raise();
            box->activateWindow();
        });
        return;
    }
    // Wayland does not let programs place their windows.
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        return;
    QPoint target = pos();
    if (saved.top)
        target.setY(twipsToPixels(*saved.top));
    if (saved.left)
        target.setX(twipsToPixels(*saved.left));
    // A position on a monitor since removed is not applied: the window would be out of reach.
    const QPoint grip = target + QPoint(twipsToPixels(600), twipsToPixels(150));
    if (QGuiApplication::screenAt(grip) == nullptr)
        return;
    move(target);
}

void frmKorvane::SaveWindowPos()
{
    QString error;
    config::writeWindowPosition(config::windowPositionPath(m_config.workDir), pixelsToTwips(y()),
                                pixelsToTwips(x()), &error);
}

void frmKorvane::showTick()
{
    m_lbTime->setText(spectrum::clockText(m_now(), m_clockMode, QLocale::system()));
    // Without a sound device nothing else draws into the picture, so the grid drawn again lands on
    // the same pixels: no repaint is needed for it.
    if (m_soundDevice == 99)
        m_painter.drawFrequencyGrid();
}

void frmKorvane::txtRigFreq_Change()
{
    if (m_station)
        m_station->txtRigFreq_Change(m_txtRigFreq->text());
}

void frmKorvane::Combo1_Click()
{
    if (m_station)
        m_station->Combo1_Click(m_combo1->currentText());
}

void frmKorvane::Command1_Click()
{
    if (m_station)
        m_station->Command1_Click(m_combo1->currentText());
}

void frmKorvane::Command3_Click()
{
    if (const auto imported = aids::parseDecodeLine(QGuiApplication::clipboard()->text()))
        showImport(*imported);
}

void frmKorvane::showImport(const aids::DecodeImport &imported)
{
    m_txtHis->setText(imported.call);
    m_txtDeffF->setText(imported.offset);
    if (imported.enablesFrequencySet())
        m_command5->setEnabled(true);
}

void frmKorvane::Command4_Click()
{
    QDesktopServices::openUrl(aids::lookupUrl(m_txtHis->text()));
}

void frmKorvane::showStale(bool stale, const QDateTime &since)
{
    // Greyed, and saying since when, for the eye and for a screen reader alike.
    QPalette palette = m_txtRigFreq->style()->standardPalette();
    if (stale)
        palette.setColor(QPalette::Text, palette.color(QPalette::Disabled, QPalette::Text));
    m_txtRigFreq->setPalette(palette);
    const QString when = since.toString(u"HH:mm:ss"_s);
    m_txtRigFreq->setToolTip(
        stale ? tr("%1 からリグの応答がありません。この周波数は古く、クリックと周波数セットは送信しません。")
                    .arg(when)
              : QString());
    m_txtRigFreq->setAccessibleName(stale ? tr("周波数（%1 からの古い値）").arg(when) : tr("周波数"));
}

void frmKorvane::Command5_Click()
{
    using OffsetSet = Station::OffsetSet;
    const OffsetSet result = m_station ? m_station->Command5_Click(m_txtDeffF->text()) : OffsetSet::NotSent;
    if (result == OffsetSet::NotANumber || result == OffsetSet::OutOfRange || result == OffsetSet::Stale)
        return; // nothing sent: the operator can correct the offset
    m_command5->setEnabled(false);
    m_txtDeffF->clear();
}

void frmKorvane::Option1_Click(int index)
{
    m_clockMode = index == 0 ? 0 : 1;
}

void frmKorvane::Option2_Click(int index)
{
    m_painter.selectMode(index);
    m_picture1->update();
}

void frmKorvane::Picture1_MouseDown(double xTwips, double widthTwips)
{
    if (m_station)
        m_station->Picture1_MouseDown(xTwips, widthTwips);
}

void frmKorvane::paintSpectrum()
{
    if (!m_engine)
        return;
    const auto mode =
        m_option2[0]->isChecked() ? spectrum::DisplayMode::Trace : spectrum::DisplayMode::Waterfall;
    const int phaseBefore = m_painter.paintPhase();
    spectrum::PaintSpectrum(*m_engine, m_painter, mode);
    // The waterfall changes on one spectrum in four; repaint only when something was drawn.
    if (mode == spectrum::DisplayMode::Trace || phaseBefore == 0)
        m_picture1->update();
}

void frmKorvane::showLineError(const QString &message)
{
    // One box at a time: further errors while it is open are not shown again.
    if (m_errorBox)
        return;
    QApplication::beep();
    auto *box = new QMessageBox(QMessageBox::NoIcon, cat::commErrorTitle(), message,
                                QMessageBox::Ok | QMessageBox::Cancel, this);
    box->setObjectName(QStringLiteral("CommErrorMessage"));
    fitTitle(box);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, box] {
        if (box->clickedButton() == box->button(QMessageBox::Cancel) && m_station)
            m_station->link().close(); // the next tick opens it again
    });
    m_errorBox = box;
    box->open();
}

} // namespace veltrane::app
