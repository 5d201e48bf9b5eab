#include "aids/BandPlan.h"

#include <QTest>

using namespace Qt::StringLiterals;
using veltrane::cat::Writes;
namespace aids = veltrane::aids;
namespace cat = veltrane::cat;

namespace {

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

// Rig at 74, controller at 45.
const cat::CivFraming kCiv{hex("FEFE"), hex("74"), hex("45"), hex("FD")};

// One row of the band table: the frames each family sends for the band's dial frequency.
struct BandRow
{
    const char *item;
    qint64 hz;
    const char *yaesu;    // family 0 frame
    const char *kenwood;  // family 1 frame
    const char *civBytes; // family 2 frequency bytes, least significant pair first
    const char *ft897;    // family 3 command bytes
};

const BandRow kTable[] = {
    {"7MHz", 7026000, "FA07026000;", "FA00007026000;", "0060020700", "0070260001"},
    {"14MHz", 14076000, "FA14076000;", "FA00014076000;", "0060071400", "0140760001"},
    {"18MHz", 18102000, "FA18102000;", "FA00018102000;", "0020101800", "0181020001"},
    {"21MHz", 21076000, "FA21076000;", "FA00021076000;", "0060072100", "0210760001"},
    {"24MHz", 24920000, "FA24920000;", "FA00024920000;", "0000922400", "0249200001"},
    {"28MHz", 28076000, "FA28076000;", "FA00028076000;", "0060072800", "0280760001"},
    {"50MHz", 50330000, "FA50330000;", "FA00050330000;", "0000335000", "0503300001"},
};

const QByteArray kCivSetHeader = hex("FEFE744505");
const QByteArray kCivEnd = hex("FD");
const QByteArray kCivMode = hex("FEFE74450601FD");
const QByteArray kFt897Mode = hex("0100000007");

Writes frequencyFrame(const BandRow &row, int family)
{
    switch (family) {
    case 0:
        return {QByteArray(row.yaesu)};
    case 1:
        return {QByteArray(row.kenwood)};
    case 2:
        return {kCivSetHeader, hex(row.civBytes), kCivEnd};
    default:
        return {hex(row.ft897)};
    }
}

Writes modeFrame(int family)
{
    const Writes modes[] = {{"MD02;"_ba}, {"MD2;"_ba}, {kCivMode}, {kFt897Mode}};
    return modes[family];
}

} // namespace

class tst_BandPlan : public QObject
{
    Q_OBJECT

private slots:
    void items();
    void frequency_data();
    void frequency();
    void bandSelection_data();
    void bandSelection();
    void reference_data();
    void reference();
    void examples_data();
    void examples();
};

void tst_BandPlan::items()
{
    QCOMPARE(aids::bandItems(), (QStringList{u"7MHz"_s, u"14MHz"_s, u"18MHz"_s, u"21MHz"_s, u"24MHz"_s,
                                             u"28MHz"_s, u"50MHz"_s}));
    QCOMPARE(aids::initialBandItem(), u"14MHz"_s);
}

void tst_BandPlan::frequency_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<qint64>("hz"); // -1: no band
    for (const BandRow &row : kTable)
        QTest::newRow(row.item) << QString::fromLatin1(row.item) << row.hz;
    QTest::newRow("blank inside") << u"14 MHz"_s << qint64(-1);
    QTest::newRow("lower case") << u"14mhz"_s << qint64(-1);
    QTest::newRow("trailing blank") << u"14MHz "_s << qint64(-1);
    QTest::newRow("number only") << u"14"_s << qint64(-1);
    QTest::newRow("other band") << u"10MHz"_s << qint64(-1);
    QTest::newRow("empty") << QString() << qint64(-1);
}

void tst_BandPlan::frequency()
{
    QFETCH(QString, item);
    QFETCH(qint64, hz);
    QCOMPARE(aids::bandFrequencyHz(item).value_or(-1), hz);
}

void tst_BandPlan::bandSelection_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("item");
    QTest::addColumn<Writes>("expected");
    for (int family = 0; family <= 3; ++family) {
        for (const BandRow &row : kTable) {
            QTest::addRow("family %d, %s", family, row.item)
                << family << QString::fromLatin1(row.item) << modeFrame(family) + frequencyFrame(row, family);
        }
        QTest::addRow("family %d, typed text", family) << family << u"14 MHz"_s << Writes{};
    }
    QTest::newRow("family 4") << 4 << u"14MHz"_s << Writes{};
    QTest::newRow("family -1") << -1 << u"14MHz"_s << Writes{};
}

void tst_BandPlan::bandSelection()
{
    QFETCH(int, family);
    QFETCH(QString, item);
    QFETCH(Writes, expected);
    QCOMPARE(aids::bandSelectionWrites(family, item, kCiv), expected);
}

void tst_BandPlan::reference_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("item");
    QTest::addColumn<Writes>("expected");
    for (int family = 0; family <= 3; ++family) {
        for (const BandRow &row : kTable) {
            const bool textFamily = family <= 1;
            const bool noReference = textFamily && QByteArray(row.item) == "50MHz";
            QTest::addRow("family %d, %s", family, row.item)
                << family << QString::fromLatin1(row.item)
                << (noReference ? Writes{} : frequencyFrame(row, family));
        }
        QTest::addRow("family %d, typed text", family) << family << u"14 MHz"_s << Writes{};
    }
    QTest::newRow("family 4") << 4 << u"14MHz"_s << Writes{};
}

void tst_BandPlan::reference()
{
    QFETCH(int, family);
    QFETCH(QString, item);
    QFETCH(Writes, expected);
    QCOMPARE(aids::referenceWrites(family, item, kCiv), expected);
}

// The worked examples, written out whole.
void tst_BandPlan::examples_data()
{
    QTest::addColumn<bool>("selection"); // false: reference button
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("item");
    QTest::addColumn<Writes>("expected");
    QTest::newRow("pick 21MHz, Yaesu text")
        << true << 0 << u"21MHz"_s << Writes{"MD02;"_ba, "FA21076000;"_ba};
    QTest::newRow("pick 7MHz, Kenwood text")
        << true << 1 << u"7MHz"_s << Writes{"MD2;"_ba, "FA00007026000;"_ba};
    QTest::newRow("pick 21MHz, CI-V 74/45")
        << true << 2 << u"21MHz"_s
        << Writes{hex("FEFE74450601FD"), hex("FEFE744505"), hex("0060072100"), hex("FD")};
    QTest::newRow("pick 50MHz, FT-897")
        << true << 3 << u"50MHz"_s << Writes{hex("0100000007"), hex("0503300001")};
    QTest::newRow("reference 50MHz, Yaesu text") << false << 0 << u"50MHz"_s << Writes{};
    QTest::newRow("reference 50MHz, Kenwood text") << false << 1 << u"50MHz"_s << Writes{};
    QTest::newRow("reference 14MHz, CI-V")
        << false << 2 << u"14MHz"_s << Writes{hex("FEFE744505"), hex("0060071400"), hex("FD")};
    QTest::newRow("reference typed 7MHz, Yaesu text") << false << 0 << u"7MHz"_s << Writes{"FA07026000;"_ba};
    QTest::newRow("reference typed 14 MHz") << false << 0 << u"14 MHz"_s << Writes{};
}

void tst_BandPlan::examples()
{
    QFETCH(bool, selection);
    QFETCH(int, family);
    QFETCH(QString, item);
    QFETCH(Writes, expected);
    const Writes writes =
        selection ? aids::bandSelectionWrites(family, item, kCiv) : aids::referenceWrites(family, item, kCiv);
    QCOMPARE(writes, expected);
}

QTEST_APPLESS_MAIN(tst_BandPlan)
#include "tst_BandPlan.moc"
