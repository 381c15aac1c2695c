#include "virtual_display/displaydecoder.h"

#include <algorithm>
#include <array>

namespace vq::vdisplay {

namespace {

// The stored demo messages go by the row they are for.
QString rowName(int row)
{
    return row == 0 ? QStringLiteral("upper") : QStringLiteral("lower");
}

QString hexByte(unsigned char byte)
{
    return say::hex(byte);
}

QString errorName(LineError error)
{
    return error == LineError::Framing  ? QStringLiteral("framing")
           : error == LineError::Parity ? QStringLiteral("parity")
                                        : QString(QLatin1String(""));
}

Said undecoded(const QString& reason)
{
    return say::undecoded(reason);
}

// How a five-byte frame of each command reads, by its parameter.

Said sayEmulation(char param)
{
    Emulation emulation = Emulation::Ztk;
    if (!emulationForMode(param, &emulation))
        return undecoded(QStringLiteral("unknown emulation %1").arg(hexByte(param)));
    return say::emulation(emulation);
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
    const QString line = rowName(param == '2' ? 0 : 1);
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
    SetupFrame,
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
     [](DisplayDecoder& d, char param) {
         Emulation emulation = Emulation::Ztk;
         emulationForMode(param, &emulation);
         d.select(emulation);
     }},
    {CodeLineOp, sayLineOp,
     [](DisplayDecoder& d, char param) {
         if (param == '1') {
             // Reset restores the power-on look; line settings and stored text live on.
             d.m_screen.clear();
             d.m_screen.setCharset(PowerOnCharset);
             d.select(Emulation::Ztk);
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
     [](DisplayDecoder& d, char param) {
         d.m_screen.setCharset(static_cast<unsigned char>(param));
     }},
    {CodeStoreLine, sayStoreSelector, [](DisplayDecoder&, char) {}},
    {CodeShowDemo, sayShowDemo,
     [](DisplayDecoder& d, char) {
         d.m_screen.setRow(0, d.m_upper);
         d.m_screen.setRow(1, d.m_lower);
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
    const QString reasons[] = {QStringLiteral("new frame before ETX"),
                               QStringLiteral("no ETX within %1 bytes").arg(FrameCap),
                               QStringLiteral("cut off by a set-up frame"),
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

QJsonValue DisplayEvent::field(const QString& key) const
{
    for (const auto& [name, value] : fields) {
        if (name == key)
            return value;
    }
    return QJsonValue(QJsonValue::Undefined);
}

DisplayDecoder::DisplayDecoder() : m_set(makeCommandSet(Emulation::Ztk)) {}

DisplayDecoder::~DisplayDecoder() = default;

void DisplayDecoder::Sink::switchTo(Emulation emulation)
{
    m_decoder.m_nextSet = makeCommandSet(emulation);
    m_decoder.m_screen.resetModes(m_decoder.m_nextSet->showsCursor());
}

void DisplayDecoder::select(Emulation emulation)
{
    m_set = makeCommandSet(emulation);
    m_screen.resetModes(m_set->showsCursor());
}

void DisplayDecoder::addEvent(const Said& said, QByteArrayView bytes)
{
    DisplayEvent event;
    event.kind = said.kind;
    event.fields = said.fields;
    event.message = said.message;
    event.bytes = bytes.toByteArray();
    event.screen = m_screen.state();
    m_out->append(std::move(event));
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
    m_screen.put(glyph); // above 7F: the same in every character set
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
            // Set-up frames are understood in every emulation, cutting what it had begun.
            m_set->giveUp(m_sink, phrases().givenUp[size_t(Reason::SetupFrame)]);
            m_pending.append(static_cast<char>(byte));
            m_state = State::AfterEnq;
        } else {
            // STX not followed by ENQ opens no frame: it is the emulation's.
            m_pending.clear();
            m_state = State::Idle;
            handleIdle(STX, true);
            decodeByte(byte);
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
    }
}

void DisplayDecoder::handleIdle(unsigned char byte, bool notFrame)
{
    if (byte == STX && !notFrame && !m_set->awaitsParameter()) {
        startPending(STX);
        m_state = State::AfterStx;
        return;
    }
    m_set->take(byte, m_sink);
    if (m_nextSet)
        m_set = std::move(m_nextSet);
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

void DisplayDecoder::giveUpPending(Reason reason)
{
    m_set->giveUp(m_sink, phrases().givenUp[size_t(reason)]);
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
              QStringLiteral("store %1 line (%2 bytes)").arg(rowName(row)).arg(stored.size()),
              {{QStringLiteral("line"), rowName(row)},
               {QStringLiteral("text"), QString::fromLatin1(stored)},
               {QStringLiteral("length"), int(stored.size())}}},
             frame);
    if (text.size() > StoredTextCap) {
        const int dropped = int(text.size() - StoredTextCap);
        addEvent({EventKind::TextCut,
                  QStringLiteral("%1 line cut to %2 bytes, %3 dropped")
                      .arg(rowName(row))
                      .arg(StoredTextCap)
                      .arg(dropped),
                  {{QStringLiteral("line"), rowName(row)},
                   {QStringLiteral("kept"), StoredTextCap},
                   {QStringLiteral("dropped"), dropped}}},
                 {});
    }
}

} // namespace vq::vdisplay
