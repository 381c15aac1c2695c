#include "virtual_display/displaydecoder.h"

#include <algorithm>
#include <array>
#include <QHash>

namespace vq::vdisplay {

namespace {

QString lineName(int row)
{
    return row == 0 ? QStringLiteral("upper") : QStringLiteral("lower");
}

QString hexByte(unsigned char byte)
{
    return QStringLiteral("%1").arg(uint(byte), 2, 16, QLatin1Char('0')).toUpper();
}

using Fields = QList<std::pair<QString, QJsonValue>>;

// Most events are one byte each; what such an event says is made once per kind of byte, not
// once per byte, so a long text costs little more than the bytes themselves.
const QByteArray& oneByte(unsigned char byte)
{
    static const std::array<QByteArray, 256> bytes = [] {
        std::array<QByteArray, 256> all;
        for (int i = 0; i < 256; ++i)
            all[i] = QByteArray(1, char(i));
        return all;
    }();
    return bytes[byte];
}

using Said = DisplayDecoder::Said;

const Said& textSaid(unsigned char shown, bool garbled)
{
    static std::array<std::array<Said, 256>, 2> said;
    Said& s = said[garbled][shown];
    if (s.message.isNull()) {
        const QString character(QChar::fromLatin1(static_cast<char>(shown)));
        s.message = (garbled ? QStringLiteral("garbled \"%1\"") : QStringLiteral("text \"%1\""))
                        .arg(character);
        s.fields = {{QStringLiteral("char"), character}, {QStringLiteral("garbled"), garbled}};
    }
    return s;
}

const Said& cursorSaid(unsigned char byte, int cursor)
{
    static std::array<std::array<Said, ScreenModel::CellCount>, 3> said;
    Said& s = said[byte == CR ? 0 : byte == LF ? 1 : 2][cursor];
    if (s.message.isNull()) {
        s.message = QStringLiteral("cursor %1 to %2").arg(controlName(byte)).arg(cursor);
        s.fields = {{QStringLiteral("name"), controlName(byte)}};
    }
    return s;
}

constexpr int kEmulations = int(Emulation::UtcS) + 1;

// Bytes 00 to 1F and 7F.
const Said& controlSaid(unsigned char byte, Emulation emulation)
{
    static std::array<std::array<Said, kEmulations>, 33> said;
    Said& s = said[byte == 0x7F ? 32 : byte][int(emulation)];
    if (s.message.isNull()) {
        s.message = QStringLiteral("control byte %1 (%2) not handled in %3")
                        .arg(hexByte(byte), controlName(byte), emulationName(emulation));
        s.fields = {{QStringLiteral("name"), controlName(byte)},
                    {QStringLiteral("emulation"), emulationName(emulation)}};
    }
    return s;
}

const Said& clearSaid(Emulation emulation)
{
    static std::array<Said, kEmulations> said;
    Said& s = said[int(emulation)];
    if (s.message.isNull()) {
        s.message = QStringLiteral("clear (%1)").arg(emulationName(emulation));
        s.fields = {{QStringLiteral("emulation"), emulationName(emulation)}};
    }
    return s;
}

} // namespace

QJsonValue DisplayEvent::field(const QString& key) const
{
    for (const auto& [name, value] : fields) {
        if (name == key)
            return value;
    }
    return QJsonValue(QJsonValue::Undefined);
}

DisplayDecoder::DisplayDecoder() = default;

unsigned char DisplayDecoder::garbleGlyph(unsigned char byte)
{
    // Symbols only, never letters or digits, so garbled output cannot pass for what was sent.
    static constexpr unsigned char glyphs[16] = {0xA4, 0xA7, 0xB1, 0xB6, 0xBF, 0xD7, 0xDF, 0xF0,
                                                 0xFE, 0xA9, 0xAE, 0xB0, 0xF7, 0xAC, 0xB5, 0xA1};
    return glyphs[(byte * 7 + 3) & 0x0F];
}

QList<DisplayEvent> DisplayDecoder::feed(QByteArrayView data)
{
    QList<DisplayEvent> events;
    feed(data, events);
    return events;
}

void DisplayDecoder::feed(QByteArrayView data, QList<DisplayEvent>& events)
{
    m_out = &events;
    for (const char byte : data)
        feedByte(static_cast<unsigned char>(byte));
    m_out = nullptr;
}

DisplayEvent& DisplayDecoder::addEvent(const QString& name, const QString& message,
                                       const QByteArray& bytes)
{
    DisplayEvent event;
    event.event = name;
    event.message = message;
    event.bytes = bytes;
    event.screen = m_screen.cells();
    event.cursor = m_screen.cursor();
    m_out->append(std::move(event));
    return m_out->last();
}

void DisplayDecoder::checkSpeed()
{
    if (misclocked()) {
        if (!m_mismatchShown || m_shownPc != m_pcBaud || m_shownDisplay != m_receiveBaud) {
            auto& event = addEvent(QStringLiteral("speed_mismatch"),
                                   QStringLiteral("line speed differs: PC %1, display %2")
                                       .arg(m_pcBaud)
                                       .arg(m_receiveBaud),
                                   {});
            event.fields = {{QStringLiteral("pc"), m_pcBaud},
                            {QStringLiteral("display"), m_receiveBaud}};
            m_mismatchShown = true;
            m_shownPc = m_pcBaud;
            m_shownDisplay = m_receiveBaud;
        }
    } else if (m_mismatchShown) {
        auto& event =
            addEvent(QStringLiteral("speed_match"),
                     QStringLiteral("line speeds agree again: %1").arg(m_receiveBaud), {});
        event.fields = {{QStringLiteral("baud"), m_receiveBaud}};
        m_mismatchShown = false;
    }
}

void DisplayDecoder::catchUpSpeed(unsigned char byte)
{
    if (m_lag == Lag::NextFrame && m_state == State::Idle && byte == STX) {
        m_lag = Lag::InFrame;
    } else if (m_lag == Lag::NextFrame || (m_lag == Lag::InFrame && m_state == State::Idle)) {
        m_lag = Lag::None;
        m_receiveBaud = m_displayBaud;
    }
}

void DisplayDecoder::feedByte(unsigned char byte)
{
    catchUpSpeed(byte);
    checkSpeed();
    if (misclocked()) {
        // A display clocked differently cannot find frames or controls in the stream.
        if (!m_pending.isEmpty())
            giveUpPending(QStringLiteral("cut off by a line speed change"));
        const unsigned char glyph = garbleGlyph(byte);
        m_screen.put(glyph);
        const Said& said = textSaid(glyph, true);
        addEvent(QStringLiteral("text"), said.message, oneByte(byte)).fields = said.fields;
        return;
    }

    switch (m_state) {
    case State::Idle:
        handleIdle(byte);
        break;
    case State::AfterStx:
        if (byte == ENQ) {
            m_pending.append(static_cast<char>(byte));
            m_state = State::AfterEnq;
        } else {
            // STX not followed by ENQ opens no frame: it was a stray control byte.
            m_pending.clear();
            m_state = State::Idle;
            static std::array<Said, kEmulations> said;
            Said& s = said[int(m_emulation)];
            if (s.message.isNull())
                s = {{},
                     QStringLiteral("control byte 02 (STX) not followed by ENQ"),
                     {{QStringLiteral("name"), QStringLiteral("STX")},
                      {QStringLiteral("emulation"), emulationName(m_emulation)}}};
            addEvent(QStringLiteral("control"), s.message, oneByte(STX)).fields = s.fields;
            handleIdle(byte);
        }
        break;
    case State::AfterEnq:
    case State::AfterCode:
    case State::AwaitEtx:
        handleFrameByte(byte);
        break;
    case State::StoreText:
        handleStoreText(byte);
        break;
    case State::Dsp800Sequence:
        handleDsp800(byte);
        break;
    }
}

bool DisplayDecoder::isClearByte(unsigned char byte) const
{
    switch (m_emulation) {
    case Emulation::Ztk:
    case Emulation::EscPos:
    case Emulation::Adm788:
    case Emulation::Adm787:
        return byte == FF;
    case Emulation::UtcP:
    case Emulation::UtcS:
        return byte == US;
    case Emulation::Dsp800:
    case Emulation::Aedex:
        return false;
    }
    return false;
}

void DisplayDecoder::handleIdle(unsigned char byte)
{
    const QByteArray& one = oneByte(byte);
    if (byte == STX) {
        startPending(STX);
        m_state = State::AfterStx;
        return;
    }
    if (m_emulation == Emulation::Dsp800 && byte == EOT) {
        startPending(EOT);
        m_state = State::Dsp800Sequence;
        return;
    }
    if (isClearByte(byte)) {
        m_screen.clear();
        const Said& said = clearSaid(m_emulation);
        addEvent(QStringLiteral("clear"), said.message, one).fields = said.fields;
        return;
    }
    if (byte == CR || byte == LF || byte == BS) {
        if (byte == CR)
            m_screen.carriageReturn();
        else if (byte == LF)
            m_screen.lineFeed();
        else
            m_screen.backspace();
        const Said& said = cursorSaid(byte, m_screen.cursor());
        addEvent(QStringLiteral("cursor"), said.message, one).fields = said.fields;
        return;
    }
    if (byte < 0x20 || byte == 0x7F) {
        const Said& said = controlSaid(byte, m_emulation);
        addEvent(QStringLiteral("control"), said.message, one).fields = said.fields;
        return;
    }
    m_screen.put(byte);
    const Said& said = textSaid(byte, false);
    addEvent(QStringLiteral("text"), said.message, one).fields = said.fields;
}

void DisplayDecoder::restartFrame()
{
    giveUpPending(QStringLiteral("new frame before ETX"));
    startPending(STX);
    m_state = State::AfterStx;
}

void DisplayDecoder::handleFrameByte(unsigned char byte)
{
    // Outside stored text an STX cannot belong to the frame: resync on it at once
    // rather than swallow the next, probably good, command.
    if (byte == STX) {
        restartFrame();
        return;
    }
    m_pending.append(static_cast<char>(byte));
    if (byte == ETX) {
        executeFrame();
        return;
    }
    if (m_state == State::AfterEnq) {
        m_state = State::AfterCode;
    } else if (m_state == State::AfterCode) {
        const bool storeLine = m_pending[2] == CodeStoreLine && (byte == '1' || byte == '2');
        m_state = storeLine ? State::StoreText : State::AwaitEtx;
    } else if (m_pending.size() >= FrameCap) {
        giveUpPending(QStringLiteral("no ETX within %1 bytes").arg(FrameCap));
    }
}

void DisplayDecoder::handleStoreText(unsigned char byte)
{
    m_pending.append(static_cast<char>(byte));
    if (byte == ETX)
        executeStore();
    else if (m_pending.size() >= FrameCap)
        giveUpPending(QStringLiteral("no ETX within %1 bytes").arg(FrameCap));
}

void DisplayDecoder::handleDsp800(unsigned char byte)
{
    const QByteArray sequence = dsp800ClearSequence();
    if (static_cast<char>(byte) != sequence[m_pending.size()]) {
        giveUpPending(QStringLiteral("incomplete DSP800 clear sequence"));
        handleIdle(byte);
        return;
    }
    m_pending.append(static_cast<char>(byte));
    if (m_pending.size() == sequence.size()) {
        m_screen.clear();
        auto& event =
            addEvent(QStringLiteral("clear"), QStringLiteral("clear (DSP800)"), m_pending);
        event.fields = {{QStringLiteral("emulation"), emulationName(m_emulation)}};
        m_pending.clear();
        m_state = State::Idle;
    }
}

void DisplayDecoder::giveUpPending(const QString& reason)
{
    if (!m_pending.isEmpty()) {
        static QHash<QString, Said> said;
        Said& s = said[reason];
        if (s.message.isNull())
            s = {{},
                 QStringLiteral("undecoded: %1").arg(reason),
                 {{QStringLiteral("reason"), reason}}};
        addEvent(QStringLiteral("undecoded"), s.message, m_pending).fields = s.fields;
    }
    m_pending.clear();
    m_state = State::Idle;
}

void DisplayDecoder::startPending(char first)
{
    m_pending.clear();
    m_pending.reserve(8); // a whole command frame, in one go
    m_pending.append(first);
}

void DisplayDecoder::executeFrame()
{
    // m_pending holds STX ENQ ... ETX
    if (m_pending.size() != 5) {
        giveUpPending(m_pending.size() < 5 ? QStringLiteral("frame too short")
                                           : QStringLiteral("unexpected bytes before ETX"));
        return;
    }
    const char code = m_pending[2];
    const char param = m_pending[3];
    const QByteArray frame = std::exchange(m_pending, {});
    m_state = State::Idle;
    const Said& said = frameSaid(code, param);
    if (said.event != QLatin1String("undecoded")) {
        switch (code) {
        case CodeEmulation:
            emulationForMode(param, &m_emulation);
            break;
        case CodeLineOp:
            if (param == '1') {
                // Reset restores the power-on look; line settings and stored lines live on.
                m_screen.clear();
                m_emulation = Emulation::Ztk;
                m_charset = PowerOnCharset;
            } else {
                (param == '2' ? m_upper : m_lower).clear();
            }
            break;
        case CodeBaud:
            m_displayBaud = baudForParam(param);
            m_lag = Lag::NextFrame;
            break;
        case CodeFraming:
            framingForParam(param, &m_framing);
            break;
        case CodeCharset:
            m_charset = static_cast<unsigned char>(param);
            break;
        case CodeShowDemo:
            m_screen.setLine(0, m_upper);
            m_screen.setLine(1, m_lower);
            m_screen.setCursor(0);
            break;
        }
    }
    addEvent(said.event, said.message, frame).fields = said.fields;
}

// What a whole five-byte frame says, by its code and parameter alone; made once for each.
const DisplayDecoder::Said& DisplayDecoder::frameSaid(char code, char param)
{
    static QHash<int, Said> said;
    const int key = static_cast<unsigned char>(code) << 8 | static_cast<unsigned char>(param);
    if (const auto it = said.constFind(key); it != said.constEnd())
        return *it;
    Said& s = said[key];
    const QString paramHex = hexByte(static_cast<unsigned char>(param));
    const auto undecoded = [&](const QString& reason) {
        s = {QStringLiteral("undecoded"),
             QStringLiteral("undecoded: %1").arg(reason),
             {{QStringLiteral("reason"), reason}}};
    };
    switch (code) {
    case CodeEmulation: {
        Emulation emulation = Emulation::Ztk;
        if (!emulationForMode(param, &emulation)) {
            undecoded(QStringLiteral("unknown emulation %1").arg(paramHex));
            break;
        }
        s = {QStringLiteral("emulation"),
             QStringLiteral("emulation %1").arg(emulationName(emulation)),
             {{QStringLiteral("name"), emulationName(emulation)},
              {QStringLiteral("mode"), QString(QChar::fromLatin1(param))}}};
        break;
    }
    case CodeLineOp:
        if (param == '1') {
            s = {QStringLiteral("reset"),
                 QStringLiteral("reset"),
                 {{QStringLiteral("emulation"), emulationName(Emulation::Ztk)},
                  {QStringLiteral("charset"), charsetName(PowerOnCharset)}}};
        } else if (param == '2' || param == '3') {
            const int row = param == '2' ? 0 : 1;
            s = {QStringLiteral("clear_line"),
                 QStringLiteral("clear stored %1 line").arg(lineName(row)),
                 {{QStringLiteral("line"), lineName(row)}}};
        } else {
            undecoded(QStringLiteral("unknown BEL parameter %1").arg(paramHex));
        }
        break;
    case CodeBaud: {
        const int baud = baudForParam(param);
        if (baud == 0) {
            undecoded(QStringLiteral("unknown baud parameter %1").arg(paramHex));
            break;
        }
        s = {QStringLiteral("display_baud"),
             QStringLiteral("display baud %1").arg(baud),
             {{QStringLiteral("baud"), baud}}};
        break;
    }
    case CodeFraming: {
        Framing framing;
        if (!framingForParam(param, &framing)) {
            undecoded(QStringLiteral("unknown framing parameter %1").arg(paramHex));
            break;
        }
        s = {QStringLiteral("display_framing"),
             QStringLiteral("display framing %1").arg(framing.text()),
             {{QStringLiteral("framing"), framing.text()}}};
        break;
    }
    case CodeCharset: {
        const QString name = charsetName(static_cast<unsigned char>(param));
        if (name.isEmpty()) {
            undecoded(QStringLiteral("unknown character set %1").arg(paramHex));
            break;
        }
        s = {QStringLiteral("charset"),
             QStringLiteral("character set %1").arg(name),
             {{QStringLiteral("name"), name}, {QStringLiteral("code"), paramHex}}};
        break;
    }
    case CodeShowDemo:
        if (param != BS)
            undecoded(QStringLiteral("unknown show parameter %1").arg(paramHex));
        else
            s = {QStringLiteral("show_demo"), QStringLiteral("show demo lines"), {}};
        break;
    case CodeStoreLine:
        undecoded(QStringLiteral("unknown line selector %1").arg(paramHex));
        break;
    default:
        undecoded(QStringLiteral("unknown command code %1")
                      .arg(hexByte(static_cast<unsigned char>(code))));
    }
    return s;
}

void DisplayDecoder::executeStore()
{
    const QByteArray frame = std::exchange(m_pending, {});
    m_state = State::Idle;
    const int row = frame[3] == '1' ? 0 : 1;
    const QByteArray text = frame.mid(4, frame.size() - 5);
    QByteArray& stored = row == 0 ? m_upper : m_lower;
    stored = text.left(StoredTextCap);

    auto& event = addEvent(
        QStringLiteral("store_line"),
        QStringLiteral("store %1 line (%2 bytes)").arg(lineName(row)).arg(stored.size()), frame);
    event.fields = {{QStringLiteral("line"), lineName(row)},
                    {QStringLiteral("text"), QString::fromLatin1(stored)},
                    {QStringLiteral("length"), int(stored.size())}};
    if (text.size() > StoredTextCap) {
        const int dropped = int(text.size() - StoredTextCap);
        auto& cut = addEvent(QStringLiteral("text_cut"),
                             QStringLiteral("%1 line cut to %2 bytes, %3 dropped")
                                 .arg(lineName(row))
                                 .arg(StoredTextCap)
                                 .arg(dropped),
                             {});
        cut.fields = {{QStringLiteral("line"), lineName(row)},
                      {QStringLiteral("kept"), StoredTextCap},
                      {QStringLiteral("dropped"), dropped}};
    }
}

} // namespace vq::vdisplay
