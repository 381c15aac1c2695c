#include "dialogs/msglayout.h"

#include <QTest>

using namespace vq;

namespace {

// One band of the length table: what every type code starts from.
struct Band {
    int n;
    TwipsRect label;
    double buttonTop;
    double lefts[3];
    bool compact;
};

const Band kBands[] = {
    {0, {184, 90, 2050.57, 641.5}, 610, {61, 787, 1510}, true},
    {28, {184, 90, 2050.57, 641.5}, 610, {61, 787, 1510}, true},
    {29, {184, 10, 2050.57, 641.5}, 630, {61, 787, 1510}, true},
    {35, {184, 10, 2050.57, 641.5}, 630, {61, 787, 1510}, true},
    {36, {240, 120, 3735, 1215}, 1080, {480, 1680, 2880}, false},
    {51, {240, 120, 3735, 1215}, 1080, {480, 1680, 2880}, false},
    {52, {240, 120, 3735, 1070}, 1150, {480, 1680, 2880}, false},
};

enum class Lefts { Band, Single, Pair };

// One row of the type-code table.
struct TypeRow {
    int code;
    const char* captions[3];
    bool visible[3];
    Lefts lefts;
};

const TypeRow kTypes[] = {
    {0, {"Ok", "Cancel", "NO"}, {true, true, true}, Lefts::Band},
    {1, {"Yes", "Cancel", "NO"}, {true, false, false}, Lefts::Single},
    {2, {"Yes", "No", "NO"}, {true, true, false}, Lefts::Pair},
    {3, {"Yes", "No", "Cancel"}, {true, true, true}, Lefts::Band},
    {4, {"Ok", "Cancel", "NO"}, {true, false, false}, Lefts::Single},
    {5, {"Ok", "Abort", "NO"}, {true, true, false}, Lefts::Pair},
    {6, {"Ok", "Abort", "Retry"}, {true, true, true}, Lefts::Band},
    {7, {"Ok", "Cancel", "NO"}, {true, true, true}, Lefts::Band},
};

constexpr MsgControl kButtons[] = {MsgControl::Command1, MsgControl::Command2,
                                   MsgControl::Command3};

// Within two hundredths of a twip: the worked values are given to two decimals.
void compareRect(const TwipsRect& got, const TwipsRect& want, const char* what)
{
    const auto near = [](double a, double b) { return qAbs(a - b) < 0.005; };
    QVERIFY2(near(got.left, want.left) && near(got.top, want.top) && near(got.width, want.width) &&
                 near(got.height, want.height),
             qPrintable(QString::asprintf("%s: got %g %g %g %g", what, got.left, got.top, got.width,
                                          got.height)));
}

// The window stores positions at single precision; a double result would drift from it.
void verifySinglePrecision(const MsgLayout& l)
{
    for (const MsgControlState& c : l.controls) {
        for (double v : {c.rect.left, c.rect.top, c.rect.width, c.rect.height})
            QCOMPARE(double(float(v)), v);
    }
}

} // namespace

class TstMsgLayout : public QObject {
    Q_OBJECT
private slots:
    void messageBox_data()
    {
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("type");
        // Every type code in the first band of each size; the other bands with one type of each
        // button arrangement (all three, single, pair).
        for (int b = 0; b < int(std::size(kBands)); ++b) {
            for (int t = 0; t < int(std::size(kTypes)); ++t) {
                if (kBands[b].n == 0 || kBands[b].n == 36 || t == 0 || t == 1 || t == 2)
                    QTest::addRow("n=%d type=%d", kBands[b].n, kTypes[t].code) << b << t;
            }
        }
    }

    void messageBox()
    {
        QFETCH(int, band);
        QFETCH(int, type);
        const Band& b = kBands[band];
        const TypeRow& t = kTypes[type];
        const QString text(b.n, u'x');

        const MsgLayout l = messageBoxLayout(text, t.code, QStringLiteral("message"));

        QCOMPARE(l.title, QStringLiteral("message"));
        QCOMPARE(l[MsgControl::Label1].caption, text);
        QCOMPARE(l.labelAlign, LabelAlign::Centre);
        compareRect(l[MsgControl::Label1].rect, b.label, "Label1");
        QCOMPARE(l.outerWidth, b.compact ? std::optional<double>(3005) : std::nullopt);
        QCOMPARE(l.outerHeight, b.compact ? std::optional<double>(1425) : std::nullopt);

        // Worked positions for the paired buttons, by band.
        const double pair1 = b.compact ? 326.15 : 830.77;
        const double pair2 = b.compact ? 1276.11 : 2533.33;
        double lefts[3] = {b.lefts[0], b.lefts[1], b.lefts[2]};
        if (t.lefts == Lefts::Single)
            lefts[0] = b.lefts[1];
        if (t.lefts == Lefts::Pair) {
            lefts[0] = pair1;
            lefts[1] = pair2;
        }
        for (int i = 0; i < 3; ++i) {
            const MsgControlState& c = l[kButtons[i]];
            QCOMPARE(c.caption, QString::fromLatin1(t.captions[i]));
            QCOMPARE(c.visible, t.visible[i]);
            QVERIFY(c.enabled);
            compareRect(c.rect, {lefts[i], b.buttonTop, 855, 375}, t.captions[i]);
            QCOMPARE(c.tabIndex, i);
        }

        // The text field belongs to the input box: a message box disables and hides it.
        QVERIFY(!l[MsgControl::Text1].visible);
        QVERIFY(!l[MsgControl::Text1].enabled);
        compareRect(l[MsgControl::Text1].rect, {120, 1200, 4095, 375}, "Text1");
        verifySinglePrecision(l);
    }

    void resultCodes_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("expected"); // -1: unchanged

        const struct {
            MsgControl button;
            const char* caption;
            int expected;
        } rows[] = {
            {MsgControl::Command1, "Yes", 7},     {MsgControl::Command1, "Ok", 10},
            {MsgControl::Command1, "yes", -1},    {MsgControl::Command1, "OK", -1},
            {MsgControl::Command1, "No", -1},     {MsgControl::Command1, "Cancel", -1},
            {MsgControl::Command2, "No", 8},      {MsgControl::Command2, "Abort", 11},
            {MsgControl::Command2, "Cancel", 13}, {MsgControl::Command2, "NO", -1},
            {MsgControl::Command2, "cancel", -1}, {MsgControl::Command2, "Ok", -1},
            {MsgControl::Command2, "Retry", -1},  {MsgControl::Command3, "Cancel", 9},
            {MsgControl::Command3, "Retry", 12},  {MsgControl::Command3, "NO", -1},
            {MsgControl::Command3, "No", -1},     {MsgControl::Command3, "retry", -1},
            {MsgControl::Command3, "Abort", -1},  {MsgControl::Command3, "Cancel ", -1},
            {MsgControl::Label1, "Ok", -1},       {MsgControl::Text1, "Yes", -1},
        };
        const char* names[] = {"Command1", "Command2", "Command3", "Label1", "Text1"};
        for (const auto& r : rows)
            QTest::addRow("%s \"%s\"", names[int(r.button)], r.caption)
                << int(r.button) << QString::fromLatin1(r.caption) << r.expected;
    }

    void resultCodes()
    {
        QFETCH(int, button);
        QFETCH(QString, caption);
        QFETCH(int, expected);
        const std::optional<qint16> result = resultForButton(MsgControl(button), caption);
        QCOMPARE(result.has_value(), expected >= 0);
        if (result)
            QCOMPARE(int(*result), expected);
    }

    void inputBox_data()
    {
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<double>("textHeight");

        const QString upper = QStringLiteral("Please input demo messages to save on upper line,the "
                                             "maximum data character is under 200. ");
        QTest::newRow("empty default") << upper << QString() << 330.0;
        QTest::newRow("default given") << upper << QStringLiteral("hello") << 375.0;
        QTest::newRow("default a space") << QString() << QStringLiteral(" ") << 375.0;
        QTest::newRow("short prompt") << QStringLiteral("x") << QString() << 330.0;
    }

    void inputBox()
    {
        QFETCH(QString, prompt);
        QFETCH(QString, defaultText);
        QFETCH(double, textHeight);

        const MsgLayout l = inputBoxLayout(prompt, QStringLiteral("input character"), defaultText);
        QCOMPARE(l.title, QStringLiteral("input character"));
        QCOMPARE(l.outerWidth, std::optional<double>(5000));
        QVERIFY(!l.outerHeight);
        QCOMPARE(l.labelAlign, LabelAlign::Left);

        const struct {
            MsgControl control;
            TwipsRect rect;
            QString caption;
            bool visible;
            int tabIndex;
        } expected[] = {
            {MsgControl::Text1, {120, 1200, 3550, textHeight}, defaultText, true, 0},
            {MsgControl::Command1, {3000, 80, 855, 375}, QStringLiteral("Ok"), true, 1},
            {MsgControl::Command2, {3000, 510, 855, 375}, QStringLiteral("Cancel"), true, 2},
            {MsgControl::Command3, {2880, 1150, 855, 375}, QStringLiteral("NO"), false, 3},
            {MsgControl::Label1, {184, 120, 2403, 1255}, prompt, true, 4},
        };
        for (const auto& e : expected) {
            const MsgControlState& c = l[e.control];
            compareRect(c.rect, e.rect, qPrintable(e.caption));
            QCOMPARE(c.caption, e.caption);
            QCOMPARE(c.visible, e.visible);
            QVERIFY(c.enabled);
            QCOMPARE(c.tabIndex, e.tabIndex);
        }
        verifySinglePrecision(l);
    }
};

QTEST_APPLESS_MAIN(TstMsgLayout)
#include "tst_msglayout.moc"
