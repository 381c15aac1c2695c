#include "virtual_display/displaydecoder.h"

#include <algorithm>
#include <array>

namespace vq::vdisplay {

namespace {

using Said = DisplayDecoder::Said;

constexpr std::array<const char*, EventKindCount> kEventNames{
    "text",         "cursor",          "control",        "clear",       "emulation", "reset",
    "display_baud", "display_framing", "charset",        "store_line",  "text_cut",  "clear_line",
    "show_demo",    "undecoded",       "speed_mismatch", "speed_match",
};

constexpr int kEmulations = int(Emulation::UtcS) + 1;

QString lineName(int row)
{
    return row == 0 ? QStringLiteral("upper") : QStringLiteral("lower");
}

QString hexByte(unsigned char byte)
{
    return QStringLiteral("%1").arg(uint(byte), 2, 16, QLatin1Char('0')).toUpper();
}

QString errorName(LineError error)
{
    return error == LineError::Framing  ? QStringLiteral("framing")
           : error == LineError::Parity ? QStringLiteral("parity")
                                        : QString(QLatin1String(""));
}

Said undecoded(const QString& reason)
{
    return {EventKind::Undecoded,
            QStringLiteral("undecoded: %1").arg(reason),
            {{QStringLiteral("reason"), reason}}};
}

// How a five-byte frame of each command reads, by its parameter.

Said sayEmulation(char param)
{
    Emulation emulation = Emulation::Ztk;
    if (!emulationForMode(param, &emulation))
        return undecoded(QStringLiteral("unknown emulation %1").arg(hexByte(param)));
    return {EventKind::Emulation,
            QStringLiteral("emulation %1").arg(emulationName(emulation)),
            {{QStringLiteral("name"), emulationName(emulation)},
             {QStringLiteral("mode"), QString(QChar::fromLatin1(param))}}};
}

Said sayLineOp(char param)
{
    if (param == '1')
        return {EventKind::Reset,
                QStringLiteral("reset"),
                {{QStringLiteral("emulation"), emulationName(Emulation::Ztk)},
                 {QStringLiteral("charset"), charsetName(PowerOnCharset)}}};
    if (param != '2' && param != '3')
        return undecoded(QStringLiteral("unknown BEL parameter %1").arg(hexByte(param)));
    const QString line = lineName(param == '2' ? 0 : 1);
    return {EventKind::ClearLine,
            QStringLiteral("clear stored %1 line").arg(line),
            {{QStringLiteral("line"), line}}};
}

Said sayBaud(char param)
{
    const int baud = baudForParam(param);
    if (baud == 0)
        return undecoded(QStringLiteral("unknown baud parameter %1").arg(hexByte(param)));
    return {EventKind::DisplayBaud,
            QStringLiteral("display baud %1").arg(baud),
            {{QStringLiteral("baud"), baud}}};
}

Said sayFraming(char param)
{
    Framing framing;
    if (!framingForParam(param, &framing))
        return undecoded(QStringLiteral("unknown framing parameter %1").arg(hexByte(param)));
    return {EventKind::DisplayFraming,
            QStringLiteral("display framing %1").arg(framing.text()),
            {{QStringLiteral("framing"), framing.text()}}};
}

Said sayCharset(char param)
{
    const QString name = charsetName(static_cast<unsigned char>(param));
    if (name.isEmpty())
        return undecoded(QStringLiteral("unknown character set %1").arg(hexByte(param)));
    return {EventKind::Charset,
            QStringLiteral("character set %1").arg(name),
            {{QStringLiteral("name"), name}, {QStringLiteral("code"), hexByte(param)}}};
}

// Only a selector that is not 1 or 2 ends a store frame after five bytes.
Said sayStoreSelector(char param)
{
    return undecoded(QStringLiteral("unknown line selector %1").arg(hexByte(param)));
}

Said sayShowDemo(char param)
{
    if (param != BS)
        return undecoded(QStringLiteral("unknown show parameter %1").arg(hexByte(param)));
    return {EventKind::ShowDemo, QStringLiteral("show demo lines"), {}};
}

} // namespace

enum class DisplayDecoder::Reason {
    NewFrame,
    NoEtx,
    Dsp800Cut,
    TooShort,
    ExtraBytes,
    FramingError,
    ParityError,
    Count
};

// What a frame of each code does, and how it reads.
struct DisplayDecoder::Command {
    char code;
    Said (*say)(char param);
    void (*run)(DisplayDecoder& d, char param); // after a frame that decodes
};

const DisplayDecoder::Command DisplayDecoder::kCommands[] = {
    {CodeEmulation, sayEmulation,
     [](DisplayDecoder& d, char param) { emulationForMode(param, &d.m_emulation); }},
    {CodeLineOp, sayLineOp,
     [](DisplayDecoder& d, char param) {
         if (param == '1') {
             // Reset restores the power-on look; line settings and stored lines live on.
             d.m_screen.clear();
             d.m_emulation = Emulation::Ztk;
             d.m_charset = PowerOnCharset;
         } else {
             (param == '2' ? d.m_upper : d.m_lower).clear();
         }
     }},
    {CodeBaud, sayBaud,
     [](DisplayDecoder& d, char param) {
         d.m_line.baud = baudForParam(param);
         d.m_lag = Lag::NextFrame;
     }},
    {CodeFraming, sayFraming,
     [](DisplayDecoder& d, char param) {
         framingForParam(param, &d.m_line.framing);
         d.m_lag = Lag::NextFrame;
     }},
    {CodeCharset, sayCharset,
     [](DisplayDecoder& d, char param) { d.m_charset = static_cast<unsigned char>(param); }},
    {CodeStoreLine, sayStoreSelector, [](DisplayDecoder&, char) {}},
    {CodeShowDemo, sayShowDemo,
     [](DisplayDecoder& d, char) {
         d.m_screen.setLine(0, d.m_upper);
         d.m_screen.setLine(1, d.m_lower);
         d.m_screen.setCursor(0);
     }},
};

namespace {
constexpr size_t kCommandCount = 7;
} // namespace

// Most events are one byte each; what each can say is made once, before the first byte, so a
// long text costs little more than its bytes.
struct DisplayDecoder::Phrases {
    std::array<QByteArray, 256> oneByte;
    std::array<std::array<Said, 256>, 3> text; // by LineError, then the glyph shown
    std::array<std::array<Said, ScreenModel::CellCount>, 3> cursor; // CR, LF, BS; cursor after
    std::array<std::array<Said, kEmulations>, 33> control;          // 00..1F, then 7F
    std::array<Said, kEmulations> clear;
    std::array<Said, kEmulations> lonelyStx;
    std::array<Said, size_t(Reason::Count)> givenUp;
    std::array<std::array<Said, 256>, kCommandCount> frames; // by command, then parameter
    std::array<Said, 256> unknownCode;

    Phrases();
};

DisplayDecoder::Phrases::Phrases()
{
    static_assert(std::size(kCommands) == kCommandCount);
    for (int b = 0; b < 256; ++b) {
        oneByte[b] = QByteArray(1, char(b));
        const QString character(QChar::fromLatin1(char(b)));
        for (int e = 0; e < 3; ++e) {
            const QString error = errorName(LineError(e));
            text[e][b] = {EventKind::Text,
                          e == 0
                              ? QStringLiteral("text \"%1\"").arg(character)
                              : QStringLiteral("garbled \"%1\" (%2 error)").arg(character, error),
                          {{QStringLiteral("char"), character},
                           {QStringLiteral("garbled"), e != 0},
                           {QStringLiteral("error"), error}}};
        }
        for (size_t c = 0; c < kCommandCount; ++c)
            frames[c][b] = kCommands[c].say(char(b));
        unknownCode[b] = undecoded(QStringLiteral("unknown command code %1").arg(hexByte(b)));
    }
    const char moves[] = {CR, LF, BS};
    for (int m = 0; m < 3; ++m) {
        const QString name = controlName(moves[m]);
        for (int cell = 0; cell < ScreenModel::CellCount; ++cell)
            cursor[m][cell] = {EventKind::Cursor,
                               QStringLiteral("cursor %1 to %2").arg(name).arg(cell),
                               {{QStringLiteral("name"), name}}};
    }
    for (int e = 0; e < kEmulations; ++e) {
        const QString emulation = emulationName(Emulation(e));
        for (int c = 0; c < 33; ++c) {
            const auto byte = static_cast<unsigned char>(c == 32 ? 0x7F : c);
            control[c][e] = {EventKind::Control,
                             QStringLiteral("control byte %1 (%2) not handled in %3")
                                 .arg(hexByte(byte), controlName(byte), emulation),
                             {{QStringLiteral("name"), controlName(byte)},
                              {QStringLiteral("emulation"), emulation}}};
        }
        clear[e] = {EventKind::Clear,
                    QStringLiteral("clear (%1)").arg(emulation),
                    {{QStringLiteral("emulation"), emulation}}};
        lonelyStx[e] = {EventKind::Control,
                        QStringLiteral("control byte 02 (STX) not followed by ENQ"),
                        {{QStringLiteral("name"), QStringLiteral("STX")},
                         {QStringLiteral("emulation"), emulation}}};
    }
    const QString reasons[] = {QStringLiteral("new frame before ETX"),
                               QStringLiteral("no ETX within %1 bytes").arg(FrameCap),
                               QStringLiteral("incomplete DSP800 clear sequence"),
                               QStringLiteral("frame too short"),
                               QStringLiteral("unexpected bytes before ETX"),
                               QStringLiteral("cut off by a framing error"),
                               QStringLiteral("cut off by a parity error")};
    static_assert(std::size(reasons) == size_t(Reason::Count));
    for (size_t r = 0; r < givenUp.size(); ++r)
        givenUp[r] = undecoded(reasons[r]);
}

const DisplayDecoder::Phrases& DisplayDecoder::phrases()
{
    static const Phrases built;
    return built;
}

QLatin1String eventName(EventKind kind)
{
    return QLatin1String(kEventNames[size_t(kind)]);
}

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

void DisplayDecoder::setPcLine(const SerialLine& line)
{
    m_pcLine = line;
    m_pcLine.framing.dataBits = std::clamp(line.framing.dataBits, 5, 8);
    m_pcLine.framing.stopBits = std::clamp(line.framing.stopBits, 1, 2);
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
    if (m_pcLine.baud > 0) {
        receive(data);
    } else {
        for (const char byte : data) {
            catchUpLine(static_cast<unsigned char>(byte));
            decodeByte(static_cast<unsigned char>(byte));
        }
    }
    m_out = nullptr;
}

bool DisplayDecoder::staysOnOldLine(unsigned char byte) const
{
    return m_lag == Lag::NextFrame && m_state == State::Idle && byte == STX;
}

void DisplayDecoder::switchLine()
{
    m_lag = Lag::None;
    m_rxLine = m_line;
}

// The PC's line is not known: the bytes are taken as sent, the line followed as it would be.
void DisplayDecoder::catchUpLine(unsigned char byte)
{
    if (staysOnOldLine(byte))
        m_lag = Lag::InFrame;
    else if (m_lag == Lag::NextFrame || (m_lag == Lag::InFrame && m_state == State::Idle))
        switchLine();
}

void DisplayDecoder::receive(QByteArrayView data)
{
    const Wire wire(data, m_pcLine);
    const int frameBits = wire.frameBits();
    const unsigned char mask = static_cast<unsigned char>((1u << m_pcLine.framing.dataBits) - 1);
    if (m_lag == Lag::InFrame && m_state == State::Idle)
        switchLine();
    if (m_lag != Lag::NextFrame)
        checkLine();
    qint64 from = 0; // where the receiver waits for a falling edge
    for (;;) {
        if (m_lag == Lag::None && m_rxLine == m_pcLine && from % frameBits == 0) {
            // In step with the PC on its own line: each byte arrives as sent.
            const qint64 index = from / frameBits;
            if (index >= data.size())
                break;
            take(static_cast<unsigned char>(data[index]) & mask, LineError::None);
            from += frameBits;
            continue;
        }
        const qint64 edge = wire.fallingEdge(from);
        if (edge < 0)
            break;
        if (m_lag == Lag::InFrame && m_state == State::Idle)
            switchLine();
        Reception got = vdisplay::receive(wire, edge, m_rxLine);
        if (m_lag == Lag::NextFrame) {
            if (got.started && got.error == LineError::None && staysOnOldLine(got.byte)) {
                m_lag = Lag::InFrame;
            } else {
                const bool same = m_rxLine == m_line;
                switchLine();
                if (!same)
                    got = vdisplay::receive(wire, edge, m_rxLine);
            }
        }
        from = got.resume;
        if (got.started) {
            checkLine();
            take(got.byte, got.error);
        }
    }
}

void DisplayDecoder::addEvent(const Said& said, const QByteArray& bytes)
{
    DisplayEvent event;
    event.kind = said.kind;
    event.fields = said.fields;
    event.message = said.message;
    event.bytes = bytes;
    event.screen = m_screen.cells();
    event.cursor = m_screen.cursor();
    m_out->append(std::move(event));
}

void DisplayDecoder::checkLine()
{
    if (m_pcLine != m_rxLine) {
        if (m_mismatchShown && m_shownPc == m_pcLine && m_shownDisplay == m_rxLine)
            return;
        addEvent({EventKind::SpeedMismatch,
                  QStringLiteral("line differs: PC %1, display %2")
                      .arg(m_pcLine.text(), m_rxLine.text()),
                  {{QStringLiteral("pc"), m_pcLine.baud},
                   {QStringLiteral("display"), m_rxLine.baud},
                   {QStringLiteral("pc_framing"), m_pcLine.framing.text()},
                   {QStringLiteral("display_framing"), m_rxLine.framing.text()}}},
                 {});
        m_mismatchShown = true;
        m_shownPc = m_pcLine;
        m_shownDisplay = m_rxLine;
    } else if (m_mismatchShown) {
        addEvent({EventKind::SpeedMatch,
                  QStringLiteral("lines agree again: %1").arg(m_rxLine.text()),
                  {{QStringLiteral("baud"), m_rxLine.baud},
                   {QStringLiteral("framing"), m_rxLine.framing.text()}}},
                 {});
        m_mismatchShown = false;
    }
}

void DisplayDecoder::take(unsigned char byte, LineError error)
{
    if (error == LineError::None) {
        decodeByte(byte);
        return;
    }
    // A byte the receiver flagged means nothing: it ends what was begun and shows as garbage.
    giveUpPending(error == LineError::Framing ? Reason::FramingError : Reason::ParityError);
    const unsigned char glyph = garbleGlyph(byte);
    m_screen.put(glyph);
    addEvent(phrases().text[size_t(error)][glyph], phrases().oneByte[byte]);
}

void DisplayDecoder::decodeByte(unsigned char byte)
{
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
            addEvent(phrases().lonelyStx[int(m_emulation)], phrases().oneByte[STX]);
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
    const Phrases& said = phrases();
    const QByteArray& one = said.oneByte[byte];
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
        addEvent(said.clear[int(m_emulation)], one);
        return;
    }
    if (byte == CR || byte == LF || byte == BS) {
        if (byte == CR)
            m_screen.carriageReturn();
        else if (byte == LF)
            m_screen.lineFeed();
        else
            m_screen.backspace();
        addEvent(said.cursor[byte == CR ? 0 : byte == LF ? 1 : 2][m_screen.cursor()], one);
        return;
    }
    if (byte < 0x20 || byte == 0x7F) {
        addEvent(said.control[byte == 0x7F ? 32 : byte][int(m_emulation)], one);
        return;
    }
    m_screen.put(byte);
    addEvent(said.text[0][byte], one);
}

void DisplayDecoder::restartFrame()
{
    giveUpPending(Reason::NewFrame);
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
        giveUpPending(Reason::NoEtx);
    }
}

void DisplayDecoder::handleStoreText(unsigned char byte)
{
    m_pending.append(static_cast<char>(byte));
    if (byte == ETX)
        executeStore();
    else if (m_pending.size() >= FrameCap)
        giveUpPending(Reason::NoEtx);
}

void DisplayDecoder::handleDsp800(unsigned char byte)
{
    const QByteArray sequence = dsp800ClearSequence();
    if (static_cast<char>(byte) != sequence[m_pending.size()]) {
        giveUpPending(Reason::Dsp800Cut);
        handleIdle(byte);
        return;
    }
    m_pending.append(static_cast<char>(byte));
    if (m_pending.size() == sequence.size()) {
        m_screen.clear();
        addEvent(phrases().clear[int(m_emulation)], m_pending);
        m_pending.clear();
        m_state = State::Idle;
    }
}

void DisplayDecoder::giveUpPending(Reason reason)
{
    if (!m_pending.isEmpty())
        addEvent(phrases().givenUp[size_t(reason)], m_pending);
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
        giveUpPending(m_pending.size() < 5 ? Reason::TooShort : Reason::ExtraBytes);
        return;
    }
    const char code = m_pending[2];
    const char param = m_pending[3];
    const QByteArray frame = std::exchange(m_pending, {});
    m_state = State::Idle;
    const Command* const end = std::end(kCommands);
    const Command* command = std::find_if(std::begin(kCommands), end,
                                          [code](const Command& c) { return c.code == code; });
    const Said& said =
        command == end
            ? phrases().unknownCode[static_cast<unsigned char>(code)]
            : phrases().frames[size_t(command - kCommands)][static_cast<unsigned char>(param)];
    if (said.kind != EventKind::Undecoded)
        command->run(*this, param);
    addEvent(said, frame);
}

void DisplayDecoder::executeStore()
{
    const QByteArray frame = std::exchange(m_pending, {});
    m_state = State::Idle;
    const int row = frame[3] == '1' ? 0 : 1;
    const QByteArray text = frame.mid(4, frame.size() - 5);
    QByteArray& stored = row == 0 ? m_upper : m_lower;
    stored = text.left(StoredTextCap);

    addEvent({EventKind::StoreLine,
              QStringLiteral("store %1 line (%2 bytes)").arg(lineName(row)).arg(stored.size()),
              {{QStringLiteral("line"), lineName(row)},
               {QStringLiteral("text"), QString::fromLatin1(stored)},
               {QStringLiteral("length"), int(stored.size())}}},
             frame);
    if (text.size() > StoredTextCap) {
        const int dropped = int(text.size() - StoredTextCap);
        addEvent({EventKind::TextCut,
                  QStringLiteral("%1 line cut to %2 bytes, %3 dropped")
                      .arg(lineName(row))
                      .arg(StoredTextCap)
                      .arg(dropped),
                  {{QStringLiteral("line"), lineName(row)},
                   {QStringLiteral("kept"), StoredTextCap},
                   {QStringLiteral("dropped"), dropped}}},
                 {});
    }
}

} // namespace vq::vdisplay
