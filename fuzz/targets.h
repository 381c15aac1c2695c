#pragma once

// One entry point per parser of outside input, each with the invariants that must hold for
// any input. Shared by the libFuzzer targets and by the test that replays the seed corpora,
// so a crash kept in a corpus folder keeps being checked by the ordinary test run.

#include "app/commandline.h"
#include "dialogs/msglayout.h"
#include "serial/commport.h"
#include "serial/linesettings.h"
#include "serial/portmap.h"
#include "virtual_display/displaydecoder.h"
#include "virtual_display/eventjson.h"
#include "virtual_display/screenmodel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QStringList>
#include <string>

namespace vq::fuzz {

// What the last broken invariant was, for the report.
inline std::string& lastFailure()
{
    static std::string text;
    return text;
}

#define VQ_FUZZ_CHECK(cond)                                                                        \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            ::vq::fuzz::lastFailure() = std::string(__func__) + ": " + #cond;                      \
            return false;                                                                          \
        }                                                                                          \
    } while (0)

// Takes the input apart front to back; past the end everything reads as zero or empty.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }
    uint8_t byte() { return atEnd() ? 0 : m_data[m_pos++]; }
    int32_t int32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        int32_t out;
        std::memcpy(&out, &v, sizeof out);
        return out;
    }
    QByteArray bytes(size_t count)
    {
        count = std::min(count, m_size - std::min(m_pos, m_size));
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), qsizetype(count));
        m_pos += count;
        return out;
    }
    QByteArray rest() { return bytes(m_size); }
    // Up to the next NUL, which is dropped.
    QByteArray field()
    {
        QByteArray out;
        while (!atEnd()) {
            const uint8_t b = byte();
            if (b == 0)
                break;
            out.append(char(b));
        }
        return out;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// A port that moves no bytes, so the settings property runs its own validation only.
class SilentPort final : public CommPortCore {
protected:
    void openDevice(int, const LineSettings&) override {}
    void applyDeviceSettings(const LineSettings&) override {}
    void writeDevice(const QByteArray&) override {}
    void closeDevice() override {}
};

// The settings string: whatever parses is canonical apart from the parity letter's case, and
// the component keeps its previous value when it refuses one.
inline bool fuzzSettings(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto parsed = LineSettings::parse(text);

    SilentPort port;
    const QString before = port.settings();
    bool refused = false;
    try {
        port.setSettings(text);
    } catch (const CommError& e) {
        refused = true;
        VQ_FUZZ_CHECK(e.number() == err::InvalidPropertyValue);
    }
    VQ_FUZZ_CHECK(refused == !parsed);
    if (!parsed) {
        VQ_FUZZ_CHECK(port.settings() == before);
        return true;
    }

    static constexpr std::array kBauds{110,  300,   600,   1200,  2400,  4800,
                                       9600, 14400, 19200, 38400, 57600, 115200};
    VQ_FUZZ_CHECK(std::find(kBauds.begin(), kBauds.end(), parsed->baud) != kBauds.end());
    VQ_FUZZ_CHECK(std::strchr("neoms", parsed->parity) && parsed->parity != 0);
    VQ_FUZZ_CHECK(parsed->dataBits >= 5 && parsed->dataBits <= 8);

    const QString canonical = parsed->toString();
    VQ_FUZZ_CHECK(LineSettings::parse(canonical) == parsed);
    VQ_FUZZ_CHECK(port.settings() == canonical);
    // Only the parity letter may be written in another case.
    QStringList parts = text.split(u',');
    VQ_FUZZ_CHECK(parts.size() == 4);
    const QChar letter = parts[1].size() == 1 ? parts[1].front() : QChar();
    VQ_FUZZ_CHECK(letter.unicode() < 0x80);
    parts[1] = parts[1].toLower();
    VQ_FUZZ_CHECK(parts.join(u',') == canonical);
    return true;
}

// The command line: an accepted one maps only port numbers 1 to 16 to devices that are not
// empty, byte for byte as given, and writing the map back out as options gives the same map; a
// refused one says why in one line naming what it stopped at.
inline bool fuzzCommandLine(const uint8_t* data, size_t size)
{
    QList<QByteArray> raw;
    Reader in(data, size);
    while (!in.atEnd())
        raw << in.field();

    const CommandLine line = parseCommandLine(raw);
    if (!line.error.isEmpty()) {
        VQ_FUZZ_CHECK(!line.error.startsWith(QStringLiteral("vq3360")));
        qsizetype breaks = 0;
        for (const QByteArray& arg : raw)
            breaks += arg.count('\n');
        VQ_FUZZ_CHECK(line.error.count(u'\n') <= breaks);
        // It quotes an argument, without its leading dashes where it is an option.
        VQ_FUZZ_CHECK(std::any_of(raw.begin(), raw.end(), [&](const QByteArray& arg) {
            QString text = QString::fromLocal8Bit(arg);
            if (text.startsWith(u"--com=") || text.startsWith(u"-com="))
                text = text.mid(text.indexOf(u'=') + 1);
            while (text.startsWith(u'-'))
                text.remove(0, 1);
            return line.error.contains(text.section(u'=', 0, 0));
        }));
        return true;
    }

    QList<QByteArray> again;
    for (auto it = line.map.devices.cbegin(); it != line.map.devices.cend(); ++it) {
        VQ_FUZZ_CHECK(it.key() >= 1 && it.key() <= kMaxPortNumber);
        VQ_FUZZ_CHECK(!it.value().isEmpty());
        VQ_FUZZ_CHECK(line.map.deviceFor(it.key()) == it.value());
        VQ_FUZZ_CHECK(std::any_of(raw.begin(), raw.end(),
                                  [&](const QByteArray& arg) { return arg.endsWith(it.value()); }));
        again << "--com" << QByteArray::number(it.key()) + '=' + it.value();
    }
    for (int port = 1; port <= kMaxPortNumber; ++port) {
        if (!line.map.devices.contains(port))
            VQ_FUZZ_CHECK(line.map.deviceFor(port).isEmpty());
    }
    const CommandLine reread = parseCommandLine(again);
    VQ_FUZZ_CHECK(reread.error.isEmpty());
    VQ_FUZZ_CHECK(reread.map == line.map);
    return true;
}

namespace detail {

inline bool sameState(const vdisplay::DisplayDecoder& a, const vdisplay::DisplayDecoder& b)
{
    const auto& sa = a.screen();
    const auto& sb = b.screen();
    return sa.state() == sb.state() && sa.scrollText() == sb.scrollText() &&
           a.emulation() == b.emulation() && a.displayBaud() == b.displayBaud() &&
           a.framing().text() == b.framing().text() && a.storedText(0) == b.storedText(0) &&
           a.storedText(1) == b.storedText(1) && a.pendingBytes() == b.pendingBytes();
}

// The screen: no control character in a cell, the cursor on it, its modes in range.
inline bool showable(const vdisplay::ScreenState& screen)
{
    return std::all_of(screen.cells.begin(), screen.cells.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; }) &&
           screen.cursor >= 0 && screen.cursor < vdisplay::ScreenModel::CellCount &&
           screen.brightness >= 1 && screen.brightness <= 4;
}

inline bool checkEvents(const QList<vdisplay::DisplayEvent>& events, QByteArray& consumed)
{
    using K = vdisplay::EventKind;
    for (const vdisplay::DisplayEvent& e : events) {
        VQ_FUZZ_CHECK(int(e.kind) >= 0 && int(e.kind) < vdisplay::EventKindCount);
        const bool withoutBytes =
            e.kind == K::TextCut || e.kind == K::SpeedMismatch || e.kind == K::SpeedMatch;
        VQ_FUZZ_CHECK(e.bytes.isEmpty() == withoutBytes);
        VQ_FUZZ_CHECK(showable(e.screen));
        VQ_FUZZ_CHECK(e.bytes.size() <= vdisplay::DisplayDecoder::FrameCap);
        if (e.kind == K::Text) {
            // char, garbled, error: garbage is one byte with its error, shown at the cursor.
            VQ_FUZZ_CHECK(e.fields.size() == 3 && e.bytes.size() == 1);
            const bool garbled = e.fields[1].second.toBool();
            VQ_FUZZ_CHECK(garbled == e.message.startsWith(u"garbled"));
            if (garbled) {
                const QString error = e.fields[2].second.toString();
                VQ_FUZZ_CHECK(error == u"framing" || error == u"parity");
                // Just before the cursor, or under it where a scroll mode keeps it on a row's end.
                const int cursor = e.screen.cursor;
                const QString glyph = e.fields[0].second.toString();
                VQ_FUZZ_CHECK(glyph == e.screen.glyph((cursor + 39) % 40) ||
                              (e.screen.mode != vdisplay::WriteMode::Overwrite &&
                               glyph == e.screen.glyph(cursor)));
            }
        }
        consumed += e.bytes;
    }
    return true;
}

// Whether the event puts the display on a line other than its power-on 9600 n,8,1.
inline bool leavesPowerOnLine(const vdisplay::DisplayEvent& e)
{
    using K = vdisplay::EventKind;
    return (e.kind == K::DisplayBaud && e.fields[0].second.toInt() != 9600) ||
           (e.kind == K::DisplayFraming && e.fields[0].second.toString() != u"n,8,1");
}

inline bool checkDecoder(const vdisplay::DisplayDecoder& d)
{
    VQ_FUZZ_CHECK(d.pendingBytes().size() < vdisplay::DisplayDecoder::FrameCap);
    VQ_FUZZ_CHECK(d.storedText(0).size() <= vdisplay::DisplayDecoder::StoredTextCap);
    VQ_FUZZ_CHECK(d.storedText(1).size() <= vdisplay::DisplayDecoder::StoredTextCap);
    VQ_FUZZ_CHECK(d.screen().cursor() >= 0 &&
                  d.screen().cursor() < vdisplay::ScreenModel::CellCount);
    return true;
}

} // namespace detail

// The virtual display's decoder. The first byte picks the run:
// - even: the input fed whole and byte by byte with the PC's line unknown, and in chunks of the
//   first byte's choosing from a PC on the display's own 9600 baud with one or two stop bits as
//   the first byte says, must give the same events and the same end state; the chunks, speed
//   events aside, until the input moves the display to another line;
// - odd: the input is a series of reads, each at its own PC line, so line changes and
//   garbling mix with frames.
// Always: no byte the display took is lost or moved, and with the PC's line unknown every input
// byte shows up in exactly one event or in the unfinished frame, in order; garbage is one byte
// flagged with its error; the screen stays twenty showable characters a line with the cursor
// on it. Whether an event reads back from its JSON is the eventjson target's, for events of any
// content.
inline bool fuzzDecoder(const uint8_t* data, size_t size)
{
    using vdisplay::DisplayDecoder;
    using vdisplay::EventKind;
    Reader in(data, size);
    const uint8_t mode = in.byte();

    if (mode % 2 == 0) {
        const QByteArray input = in.rest();
        DisplayDecoder whole;
        // Kept from input to input, so their memory is not asked for anew every time; emptied
        // before the input is done, so what it made is freed within it and no leak check runs.
        static QList<vdisplay::DisplayEvent> events, got;
        const auto empty = qScopeGuard([] {
            events.clear();
            got.clear();
        });
        whole.feed(input, events);
        QByteArray consumed;
        if (!detail::checkEvents(events, consumed) || !detail::checkDecoder(whole))
            return false;
        VQ_FUZZ_CHECK(consumed + whole.pendingBytes() == input);

        // Compared as they come: the pieces' events are never all held at once. The chunks come
        // from a PC on 9600 baud with one or two stop bits: the display's own rate, so they
        // decode the same, speed events aside, until the input moves the display off its line.
        for (const bool onWire : {false, true}) {
            const qsizetype step = onWire ? 1 + (mode >> 2) : 1;
            DisplayDecoder cut;
            if (onWire)
                cut.setPcLine({9600, {'n', 8, mode & 2 ? 2 : 1}});
            qsizetype next = 0;
            bool moved = false;
            for (qsizetype at = 0; at < input.size() && !moved; at += step) {
                got.clear();
                cut.feed(QByteArrayView(input).sliced(at, std::min(step, input.size() - at)), got);
                for (const vdisplay::DisplayEvent& e : got) {
                    if (e.kind == EventKind::SpeedMismatch || e.kind == EventKind::SpeedMatch)
                        continue;
                    VQ_FUZZ_CHECK(next < events.size() && e == events[next++]);
                    if ((moved = onWire && detail::leavesPowerOnLine(e)))
                        break;
                }
            }
            VQ_FUZZ_CHECK(moved || next == events.size());
            VQ_FUZZ_CHECK(moved || detail::sameState(cut, whole));
        }
        return true;
    }

    static constexpr int kPcBauds[] = {0, 9600, 19200, 300, 38400, 4800, 115200, 50};
    DisplayDecoder d;
    while (!in.atEnd()) {
        const uint8_t head = in.byte();
        const uint8_t framing = in.byte();
        const vdisplay::SerialLine pc{
            kPcBauds[head % 8], {"neoms"[framing % 5], 8 - framing / 5 % 4, 1 + framing / 20 % 2}};
        d.setPcLine(pc);
        const QByteArray read = in.bytes(size_t(head >> 3) * 8 + 1);
        const QByteArray pending = d.pendingBytes();
        QByteArray fresh;
        if (!detail::checkEvents(d.feed(read), fresh) || !detail::checkDecoder(d))
            return false;
        fresh += d.pendingBytes();
        VQ_FUZZ_CHECK(fresh.startsWith(pending));
        if (pc.baud == 0) {
            VQ_FUZZ_CHECK(fresh == pending + read);
        } else {
            // Each byte taken needs a falling edge of its own past the stop sample of the one
            // before: 8.5 bit times on at 38400, the display's fastest.
            const qint64 taken = fresh.size() - pending.size();
            const qint64 bits = read.size() * (1 + pc.framing.dataBits +
                                               (pc.framing.parity != 'n') + pc.framing.stopBits);
            VQ_FUZZ_CHECK(taken * 17 * pc.baud <= bits * 2 * 38400 + 17 * pc.baud);
        }
    }
    return true;
}

// An event of any content, as the virtual display writes it out: one line of valid JSON that
// says what the event says, its own fields included, whatever bytes its texts hold.
inline bool fuzzEventJson(const uint8_t* data, size_t size)
{
    Reader in(data, size);
    vdisplay::DisplayEvent e;
    e.kind = vdisplay::EventKind(in.byte() % vdisplay::EventKindCount);
    e.message = QString::fromUtf8(in.field());
    e.bytes = in.field();
    const QByteArray cells = in.bytes(e.screen.cells.size());
    std::copy(cells.begin(), cells.end(), e.screen.cells.begin());
    e.screen.cursor = in.byte() % vdisplay::ScreenModel::CellCount;
    // Keys of its own, as the decoder gives them: none twice, none of the common ones.
    QStringList keys{"event",  "message",      "bytes",      "line1",      "line2",
                     "cursor", "cursor_shown", "write_mode", "brightness", "blink",
                     "marks1", "marks2",       "scrolling"};
    while (!in.atEnd()) {
        const QString key = QString::fromUtf8(in.field());
        const uint8_t kind = in.byte();
        if (keys.contains(key))
            continue;
        keys << key;
        if (kind % 3 == 0)
            e.fields.append({key, QString::fromUtf8(in.field())});
        else if (kind % 3 == 1)
            e.fields.append({key, int(in.int32())});
        else
            e.fields.append({key, bool(kind & 4)});
    }

    const QByteArray json = vdisplay::eventToJson(e);
    VQ_FUZZ_CHECK(!json.contains('\n'));
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    VQ_FUZZ_CHECK(error.error == QJsonParseError::NoError && doc.isObject());
    const QJsonObject o = doc.object();
    // Every text above is valid UTF-16, so it must read back exactly.
    VQ_FUZZ_CHECK(o.value("event").toString() == vdisplay::eventName(e.kind));
    VQ_FUZZ_CHECK(o.value("message").toString() == e.message);
    VQ_FUZZ_CHECK(o.value("line1").toString() == e.screen.rowText(0) &&
                  o.value("line2").toString() == e.screen.rowText(1));
    VQ_FUZZ_CHECK(o.value("cursor").toInt(-1) == e.screen.cursor);
    VQ_FUZZ_CHECK(o.value("bytes").toString() == vdisplay::hexBytes(e.bytes));
    for (const auto& [key, value] : e.fields) {
        // Walked, not looked up: Qt 6.4's value() can miss a key when others hold characters
        // beyond U+FFFF, though the object has it.
        auto it = o.constBegin();
        while (it != o.constEnd() && it.key() != key)
            ++it;
        VQ_FUZZ_CHECK(it != o.constEnd() && it.value() == value);
    }
    return true;
}

// The screen against a plain model of two lines of twenty cells and a ring cursor.
inline bool fuzzScreen(const uint8_t* data, size_t size)
{
    using vdisplay::ScreenModel;
    constexpr int kCols = ScreenModel::Columns;
    constexpr int kCells = ScreenModel::CellCount;
    ScreenModel screen;
    std::array<uint8_t, kCells> cells;
    cells.fill(' ');
    int cursor = 0;

    Reader in(data, size);
    while (!in.atEnd()) {
        const uint8_t op = in.byte();
        switch (op % 8) {
        case 0: {
            const uint8_t b = in.byte();
            screen.put(b);
            cells[size_t(cursor)] = b;
            cursor = cursor == kCells - 1 ? 0 : cursor + 1;
            break;
        }
        case 1:
            screen.rowStart();
            cursor = cursor < kCols ? 0 : kCols;
            break;
        case 2:
            screen.down();
            cursor = cursor < kCols ? cursor + kCols : cursor - kCols;
            break;
        case 3:
            screen.left();
            cursor = cursor == 0 ? kCells - 1 : cursor - 1;
            break;
        case 4:
            screen.clear();
            cells.fill(' ');
            cursor = 0;
            break;
        case 5: {
            const int row = int8_t(in.byte());
            const QByteArray text = in.bytes(in.byte() % 32);
            screen.setRow(row, text);
            if (row == 0 || row == 1) {
                for (int col = 0; col < kCols; ++col) {
                    const uint8_t b = col < text.size() ? uint8_t(text[col]) : ' ';
                    cells[size_t(row * kCols + col)] = b < 0x20 || b == 0x7F ? ' ' : b;
                }
            }
            break;
        }
        case 6: {
            const int32_t cell = in.int32();
            screen.setCursor(cell);
            cursor = int(((int64_t(cell) % kCells) + kCells) % kCells);
            break;
        }
        default: {
            const int row = int8_t(in.byte());
            if (row != 0 && row != 1)
                VQ_FUZZ_CHECK(screen.rowBytes(row).isEmpty());
            break;
        }
        }

        VQ_FUZZ_CHECK(screen.cursor() == cursor);
        for (int i = 0; i < kCells; ++i)
            VQ_FUZZ_CHECK(screen.cell(i) == cells[size_t(i)]);
        for (int row = 0; row < 2; ++row) {
            const QByteArray line(reinterpret_cast<const char*>(cells.data()) + row * kCols, kCols);
            VQ_FUZZ_CHECK(screen.rowBytes(row) == line);
            VQ_FUZZ_CHECK(screen.rowText(row) == QString::fromLatin1(line));
        }
    }
    return true;
}

namespace detail {

inline bool singlePrecision(double v)
{
    return std::isfinite(v) && double(float(v)) == v;
}

inline bool checkGeometry(const MsgLayout& l, double width, double height)
{
    std::array<bool, kMsgControlCount> tabs{};
    for (const MsgControlState& c : l.controls) {
        const TwipsRect& r = c.rect;
        VQ_FUZZ_CHECK(singlePrecision(r.left) && singlePrecision(r.top));
        VQ_FUZZ_CHECK(singlePrecision(r.width) && singlePrecision(r.height));
        VQ_FUZZ_CHECK(r.left >= 0 && r.top >= 0 && r.width > 0 && r.height > 0);
        if (c.visible)
            VQ_FUZZ_CHECK(r.left + r.width <= width && r.top + r.height <= height);
        VQ_FUZZ_CHECK(c.tabIndex >= 0 && c.tabIndex < kMsgControlCount && !tabs[c.tabIndex]);
        tabs[size_t(c.tabIndex)] = true;
    }
    return true;
}

} // namespace detail

// The message box and input box layout for any text, title and type code: finite single-
// precision geometry inside the window, the band the text length calls for, and buttons that
// can only return the codes their type allows.
inline bool fuzzMsgLayout(const uint8_t* data, size_t size)
{
    using enum MsgControl;
    Reader in(data, size);
    const int32_t typeCode = in.int32();
    const QString text = QString::fromUtf8(in.field());
    const QString title = QString::fromUtf8(in.field());
    const QString other = QString::fromUtf8(in.rest());

    const MsgLayout m = messageBoxLayout(text, typeCode, title);
    const qsizetype n = text.size();
    VQ_FUZZ_CHECK(m.title == title && m[Label1].caption == text);
    VQ_FUZZ_CHECK(!m[Text1].visible && !m[Text1].enabled);
    VQ_FUZZ_CHECK(m.outerWidth.has_value() == (n < 36) && m.outerHeight.has_value() == (n < 36));
    const double width = n < 36 ? 3005 : msgFormDef().clientWidth;
    const double height = n < 36 ? 1425 : msgFormDef().clientHeight;
    if (n < 36)
        VQ_FUZZ_CHECK(*m.outerWidth == width && *m.outerHeight == height);
    if (!detail::checkGeometry(m, width, height))
        return false;

    const double labelTop = n <= 28 ? 90 : n <= 35 ? 10 : 120;
    const double labelHeight = n <= 35 ? 641.5 : n <= 51 ? 1215 : 1070;
    const double buttonTop = n <= 28 ? 610 : n <= 35 ? 630 : n <= 51 ? 1080 : 1150;
    VQ_FUZZ_CHECK(m[Label1].rect.top == labelTop);
    VQ_FUZZ_CHECK(m[Label1].rect.height == float(labelHeight));
    for (const MsgControl b : {Command1, Command2, Command3})
        VQ_FUZZ_CHECK(m[b].rect.top == buttonTop);

    // Buttons shown and the codes they may give, row for row with the type-code table.
    struct Row {
        int shown;
        std::array<int, 3> results; // 0: none
    };
    const Row row = [&]() -> Row {
        switch (typeCode) {
        case 1:
            return {1, {7, 0, 0}};
        case 2:
            return {2, {7, 8, 0}};
        case 3:
            return {3, {7, 8, 9}};
        case 4:
            return {1, {10, 0, 0}};
        case 5:
            return {2, {10, 11, 0}};
        case 6:
            return {3, {10, 11, 12}};
        default:
            return {3, {10, 13, 0}};
        }
    }();
    const MsgControl buttons[] = {Command1, Command2, Command3};
    for (int i = 0; i < 3; ++i) {
        VQ_FUZZ_CHECK(m[buttons[i]].visible == (i < row.shown));
        const auto result = resultForButton(buttons[i], m[buttons[i]].caption);
        if (i < row.shown)
            VQ_FUZZ_CHECK(result.value_or(0) == row.results[size_t(i)]);
    }

    const MsgLayout input = inputBoxLayout(text, title, other);
    VQ_FUZZ_CHECK(input.title == title && input[Label1].caption == text);
    VQ_FUZZ_CHECK(input[Text1].visible && input[Text1].enabled && input[Text1].tabIndex == 0);
    VQ_FUZZ_CHECK(input[Text1].caption == other);
    VQ_FUZZ_CHECK(!input[Command3].visible);
    VQ_FUZZ_CHECK(resultForButton(Command1, input[Command1].caption) == pressed::Ok);
    VQ_FUZZ_CHECK(resultForButton(Command2, input[Command2].caption) == pressed::CancelInput);
    VQ_FUZZ_CHECK(input.outerWidth.has_value() && std::isfinite(*input.outerWidth));
    if (!detail::checkGeometry(input, *input.outerWidth, msgFormDef().clientHeight))
        return false;

    // A caption outside the table never sets a code, on any control.
    static const QStringList kCaptions{"Yes", "Ok", "No", "Abort", "Cancel", "Retry"};
    const auto control = MsgControl(uint32_t(typeCode) % kMsgControlCount);
    if (resultForButton(control, other))
        VQ_FUZZ_CHECK(kCaptions.contains(other));
    return true;
}

struct Target {
    const char* name;
    bool (*run)(const uint8_t*, size_t);
};

// The folder names under fuzz/corpus and the executables' suffixes.
inline constexpr Target kTargets[] = {
    {"settings", fuzzSettings}, {"commandline", fuzzCommandLine}, {"decoder", fuzzDecoder},
    {"screen", fuzzScreen},     {"msglayout", fuzzMsgLayout},     {"eventjson", fuzzEventJson},
};

} // namespace vq::fuzz
