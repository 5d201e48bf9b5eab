// The whole rig loop on a real pseudo-terminal: the main window with the program's own serial
// port (QSerialPort) against the simulated rig, for all four families. The display follows the
// rig, picking each band moves the rig to the band's frequency in USB, the reference button,
// the frequency set from an imported offset, and an unplugged device that comes back.

#include "app/frmKorvane.h"
#include "cat/QtSerialPort.h"
#include "rigsim/PtyRig.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace veltrane;

namespace {

struct Loop
{
    QTemporaryDir dir;
    std::unique_ptr<rigsim::PtyRig> rig;
    config::StationState state;
    cat::QtSerialPort port;
    std::unique_ptr<app::frmKorvane> window;
};

std::unique_ptr<Loop> startLoop(int family, bool civEcho = false)
{
    auto loop = std::make_unique<Loop>();
    rigsim::EmulatorSettings settings;
    settings.family = rigsim::Family(family);
    settings.frequencyHz = 7'026'000;
    settings.mode = rigsim::Mode::Lsb;
    settings.civEcho = civEcho;
    rigsim::PtyRigOptions options;
    options.linkPath = loop->dir.filePath(QStringLiteral("rig"));
    loop->rig = std::make_unique<rigsim::PtyRig>(settings, options);
    QString error;
    if (!loop->rig->start(&error))
        qFatal("simulator: %s", qPrintable(error));

    QFile cfg(loop->dir.filePath(QStringLiteral("Init.cfg")));
    if (!cfg.open(QIODevice::WriteOnly))
        qFatal("cannot write Init.cfg");
    cfg.write("MYCALL=TEST\r\nCAT=" + options.linkPath.toUtf8() + "\r\nRIG= " + QByteArray::number(family)
              + " \r\nRS232C=9600,N,8,1\r\nICOM=74\r\nCONTROL=E0\r\n");
    cfg.close();
    QDir::setCurrent(loop->dir.path());
    loop->state.soundDevice = 99;
    loop->window = std::make_unique<app::frmKorvane>(loop->state, loop->port, nullptr);
    if (const auto failure = loop->window->Form_Load())
        qFatal("start-up failed: %s", qPrintable(*failure));
    loop->window->show();
    return loop;
}

template <typename T>
T *control(app::frmKorvane &w, const char *name)
{
    T *c = w.findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

void pickBand(app::frmKorvane &w, const QString &band)
{
    auto *combo = control<QComboBox>(w, "Combo1");
    combo->showPopup();
    combo->view()->setCurrentIndex(combo->model()->index(combo->findText(band), 0));
    QTest::keyClick(combo->view(), Qt::Key_Return);
}

QString display(app::frmKorvane &w)
{
    return control<QLineEdit>(w, "txtRigFreq")->text();
}

}  // namespace

class tst_RigLoop : public QObject
{
    Q_OBJECT

private slots:
    void displayFollowsRigAndBandsMoveIt_data();
    void displayFollowsRigAndBandsMoveIt();
    void referenceAndOffsetSet_data();
    void referenceAndOffsetSet();
    void unplugAndReturn_data();
    void unplugAndReturn();
};

static void addFamilies()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<bool>("echo");
    QTest::newRow("Yaesu text") << 0 << false;
    QTest::newRow("Kenwood text") << 1 << false;
    QTest::newRow("ICOM CI-V with echo") << 2 << true;
    QTest::newRow("FT-897") << 3 << false;
}

void tst_RigLoop::displayFollowsRigAndBandsMoveIt_data()
{
    addFamilies();
}

void tst_RigLoop::displayFollowsRigAndBandsMoveIt()
{
    QFETCH(int, family);
    QFETCH(bool, echo);
    auto loop = startLoop(family, echo);
    auto &w = *loop->window;
    QTRY_COMPARE_WITH_TIMEOUT(display(w), QStringLiteral("7026.000"), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(control<QComboBox>(w, "Combo1")->currentText(), QStringLiteral("7MHz"), 10000);

    const struct
    {
        const char *band;
        qint64 hz;
        const char *shown;
    } bands[] = {{"14MHz", 14'076'000, "14076.000"}, {"18MHz", 18'102'000, "18102.000"},
                 {"21MHz", 21'076'000, "21076.000"}, {"24MHz", 24'920'000, "24920.000"},
                 {"28MHz", 28'076'000, "28076.000"}, {"50MHz", 50'330'000, "50330.000"},
                 {"7MHz", 7'026'000, "7026.000"}};
    // What the rig received for each pick, printed for the record (ctest -V shows it).
    QStringList received;
    connect(loop->rig.get(), &rigsim::PtyRig::frameReceived, this, [&received](const rigsim::FrameRecord &r) {
        if (!r.meaning.startsWith(QStringLiteral("READ")))
            received.append(r.logLine());
    });
    for (const auto &b : bands) {
        received.append(QStringLiteral("-- picked ") + QString::fromLatin1(b.band));
        pickBand(w, QString::fromLatin1(b.band));
        QTRY_COMPARE_WITH_TIMEOUT(loop->rig->emulator().frequencyHz(), b.hz, 10000);
        QCOMPARE(loop->rig->emulator().mode(), rigsim::Mode::Usb);
        QTRY_COMPARE_WITH_TIMEOUT(display(w), QString::fromLatin1(b.shown), 10000);
    }
    for (const QString &line : received)
        qInfo().noquote() << line;
}

void tst_RigLoop::referenceAndOffsetSet_data()
{
    addFamilies();
}

void tst_RigLoop::referenceAndOffsetSet()
{
    QFETCH(int, family);
    QFETCH(bool, echo);
    auto loop = startLoop(family, echo);
    auto &w = *loop->window;
    QTRY_COMPARE_WITH_TIMEOUT(display(w), QStringLiteral("7026.000"), 15000);

    QStringList received;
    connect(loop->rig.get(), &rigsim::PtyRig::frameReceived, this, [&received](const rigsim::FrameRecord &r) {
        if (!r.meaning.startsWith(QStringLiteral("READ")))
            received.append(r.logLine());
    });
    // The decoder line: offset -523 Hz from the dial.
    QGuiApplication::clipboard()->setText(QStringLiteral("0123456789ABCDEF     -523 CQ CALL1 PM95"));
    QTest::mouseClick(control<QPushButton>(w, "Command3"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(w, "Command5"), Qt::LeftButton);
    const qint64 expected = family == 3 ? 7'025'470 : 7'025'477;  // the FT-897 counts in 10 Hz
    QTRY_COMPARE_WITH_TIMEOUT(loop->rig->emulator().frequencyHz(), expected, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(display(w).startsWith(QStringLiteral("7025.47")), 10000);

    // The reference button puts the rig back on the band's frequency and slows the tick.
    QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(loop->rig->emulator().frequencyHz(), qint64(7'026'000), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(display(w), QStringLiteral("7026.000"), 10000);
    for (const QString &line : received)
        qInfo().noquote() << line;
}

void tst_RigLoop::unplugAndReturn_data()
{
    addFamilies();
}

void tst_RigLoop::unplugAndReturn()
{
    QFETCH(int, family);
    QFETCH(bool, echo);
    auto loop = startLoop(family, echo);
    auto &w = *loop->window;
    QTRY_COMPARE_WITH_TIMEOUT(display(w), QStringLiteral("7026.000"), 15000);

    loop->rig->unplug();
    QTRY_VERIFY_WITH_TIMEOUT(!loop->port.isOpen(), 10000);  // the port notices and closes
    QTest::qWait(600);                                      // ticks against a missing device
    QVERIFY(!loop->port.isOpen());

    QString error;
    QVERIFY2(loop->rig->plugIn(&error), qPrintable(error));
    QTRY_VERIFY_WITH_TIMEOUT(loop->port.isOpen(), 10000);
    pickBand(w, QStringLiteral("21MHz"));
    QTRY_COMPARE_WITH_TIMEOUT(loop->rig->emulator().frequencyHz(), qint64(21'076'000), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(display(w), QStringLiteral("21076.000"), 10000);
}

QTEST_MAIN(tst_RigLoop)
#include "tst_rigloop.moc"
