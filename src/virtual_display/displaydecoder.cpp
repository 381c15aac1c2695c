#include "virtual_display/displaydecoder.h"

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

} // namespace

QJsonValue DisplayEvent::field(const QString& key) const
{
    for (const auto& [name, value] : fields) {
        if (name == key)
            return value;
    }
    return QJsonValue(QJsonValue::Undefined);
}

DisplayDecoder::DisplayDecoder()
{
    m_pending.reserve(FrameCap);
}

unsigned char DisplayDecoder::garbleGlyph(unsigned char byte)
{
    // Symbols only, never letters or digits, so garbled output cannot pass for what was sent.
    static constexpr unsigned char glyphs[16] = {0xA4, 0xA7, 0xB1, 0xB6, 0xBF, 0xD7, 0xDF, 0xF0,
                                                 0xFE, 0xA9, 0xAE, 0xB0, 0xF7, 0xAC, 0xB5, 0xA1};
    return glyphs[(byte * 7 + 3) & 0x0F];
}

QList<DisplayEvent> DisplayDecoder::feed(QByteArrayView data)
{
    m_out.clear();
    for (const char byte : data)
        feedByte(static_cast<unsigned char>(byte));
    // Bytes that arrived with a baud command were clocked in before it was obeyed.
    m_receiveBaud = m_displayBaud;
    return std::exchange(m_out, {});
}

DisplayEvent& DisplayDecoder::addEvent(const QString& name, const QString& message,
                                       QByteArrayView bytes)
{
    DisplayEvent event;
    event.event = name;
    event.message = message;
    event.bytes = bytes.toByteArray();
    event.line1 = m_screen.lineText(0);
    event.line2 = m_screen.lineText(1);
    event.cursor = m_screen.cursor();
    m_out.append(std::move(event));
    return m_out.last();
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

void DisplayDecoder::feedByte(unsigned char byte)
{
    checkSpeed();
    if (misclocked()) {
        // A display clocked differently cannot find frames or controls in the stream.
        if (!m_pending.isEmpty())
            giveUpPending(QStringLiteral("cut off by a line speed change"));
        const unsigned char glyph = garbleGlyph(byte);
        m_screen.put(glyph);
        auto& event =
            addEvent(QStringLiteral("text"), QStringLiteral("garbled \"%1\"").arg(QChar(glyph)),
                     QByteArrayView(reinterpret_cast<const char*>(&byte), 1));
        event.fields = {{QStringLiteral("char"), QString(QChar(glyph))},
                        {QStringLiteral("garbled"), true}};
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
            auto& event = addEvent(QStringLiteral("control"),
                                   QStringLiteral("control byte 02 (STX) not followed by ENQ"),
                                   QByteArrayView("\x02", 1));
            event.fields = {{QStringLiteral("name"), QStringLiteral("STX")},
                            {QStringLiteral("emulation"), emulationName(m_emulation)}};
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
    const QByteArrayView one(reinterpret_cast<const char*>(&byte), 1);
    if (byte == STX) {
        m_pending = QByteArray(1, STX);
        m_state = State::AfterStx;
        return;
    }
    if (m_emulation == Emulation::Dsp800 && byte == EOT) {
        m_pending = QByteArray(1, EOT);
        m_state = State::Dsp800Sequence;
        return;
    }
    if (isClearByte(byte)) {
        m_screen.clear();
        auto& event = addEvent(QStringLiteral("clear"),
                               QStringLiteral("clear (%1)").arg(emulationName(m_emulation)), one);
        event.fields = {{QStringLiteral("emulation"), emulationName(m_emulation)}};
        return;
    }
    if (byte == CR || byte == LF || byte == BS) {
        if (byte == CR)
            m_screen.carriageReturn();
        else if (byte == LF)
            m_screen.lineFeed();
        else
            m_screen.backspace();
        auto& event = addEvent(
            QStringLiteral("cursor"),
            QStringLiteral("cursor %1 to %2").arg(controlName(byte)).arg(m_screen.cursor()), one);
        event.fields = {{QStringLiteral("name"), controlName(byte)}};
        return;
    }
    if (byte < 0x20 || byte == 0x7F) {
        auto& event =
            addEvent(QStringLiteral("control"),
                     QStringLiteral("control byte %1 (%2) not handled in %3")
                         .arg(hexByte(byte), controlName(byte), emulationName(m_emulation)),
                     one);
        event.fields = {{QStringLiteral("name"), controlName(byte)},
                        {QStringLiteral("emulation"), emulationName(m_emulation)}};
        return;
    }
    m_screen.put(byte);
    const QString character(QChar::fromLatin1(static_cast<char>(byte)));
    auto& event =
        addEvent(QStringLiteral("text"), QStringLiteral("text \"%1\"").arg(character), one);
    event.fields = {{QStringLiteral("char"), character}, {QStringLiteral("garbled"), false}};
}

void DisplayDecoder::restartFrame()
{
    giveUpPending(QStringLiteral("new frame before ETX"));
    m_pending = QByteArray(1, STX);
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
        auto& event = addEvent(QStringLiteral("undecoded"),
                               QStringLiteral("undecoded: %1").arg(reason), m_pending);
        event.fields = {{QStringLiteral("reason"), reason}};
    }
    m_pending.clear();
    m_state = State::Idle;
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
    auto undecoded = [&](const QString& reason) {
        auto& event = addEvent(QStringLiteral("undecoded"),
                               QStringLiteral("undecoded: %1").arg(reason), frame);
        event.fields = {{QStringLiteral("reason"), reason}};
    };
    const QString paramHex = hexByte(static_cast<unsigned char>(param));

    switch (code) {
    case CodeEmulation: {
        Emulation emulation = Emulation::Ztk;
        if (!emulationForMode(param, &emulation))
            return undecoded(QStringLiteral("unknown emulation %1").arg(paramHex));
        m_emulation = emulation;
        auto& event = addEvent(QStringLiteral("emulation"),
                               QStringLiteral("emulation %1").arg(emulationName(emulation)), frame);
        event.fields = {{QStringLiteral("name"), emulationName(emulation)},
                        {QStringLiteral("mode"), QString(QChar::fromLatin1(param))}};
        return;
    }
    case CodeLineOp:
        if (param == '1') {
            // Reset restores the power-on look; line settings and stored lines live on.
            m_screen.clear();
            m_emulation = Emulation::Ztk;
            m_charset = PowerOnCharset;
            auto& event = addEvent(QStringLiteral("reset"), QStringLiteral("reset"), frame);
            event.fields = {{QStringLiteral("emulation"), emulationName(m_emulation)},
                            {QStringLiteral("charset"), charsetName(m_charset)}};
            return;
        }
        if (param == '2' || param == '3') {
            const int row = param == '2' ? 0 : 1;
            (row == 0 ? m_upper : m_lower).clear();
            auto& event =
                addEvent(QStringLiteral("clear_line"),
                         QStringLiteral("clear stored %1 line").arg(lineName(row)), frame);
            event.fields = {{QStringLiteral("line"), lineName(row)}};
            return;
        }
        return undecoded(QStringLiteral("unknown BEL parameter %1").arg(paramHex));
    case CodeBaud: {
        const int baud = baudForParam(param);
        if (baud == 0)
            return undecoded(QStringLiteral("unknown baud parameter %1").arg(paramHex));
        m_displayBaud = baud;
        auto& event = addEvent(QStringLiteral("display_baud"),
                               QStringLiteral("display baud %1").arg(baud), frame);
        event.fields = {{QStringLiteral("baud"), baud}};
        return;
    }
    case CodeFraming: {
        Framing framing;
        if (!framingForParam(param, &framing))
            return undecoded(QStringLiteral("unknown framing parameter %1").arg(paramHex));
        m_framing = framing;
        auto& event = addEvent(QStringLiteral("display_framing"),
                               QStringLiteral("display framing %1").arg(framing.text()), frame);
        event.fields = {{QStringLiteral("framing"), framing.text()}};
        return;
    }
    case CodeCharset: {
        const QString name = charsetName(static_cast<unsigned char>(param));
        if (name.isEmpty())
            return undecoded(QStringLiteral("unknown character set %1").arg(paramHex));
        m_charset = static_cast<unsigned char>(param);
        auto& event = addEvent(QStringLiteral("charset"),
                               QStringLiteral("character set %1").arg(name), frame);
        event.fields = {{QStringLiteral("name"), name}, {QStringLiteral("code"), paramHex}};
        return;
    }
    case CodeShowDemo:
        if (param != BS)
            return undecoded(QStringLiteral("unknown show parameter %1").arg(paramHex));
        m_screen.setLine(0, m_upper);
        m_screen.setLine(1, m_lower);
        m_screen.setCursor(0);
        addEvent(QStringLiteral("show_demo"), QStringLiteral("show demo lines"), frame);
        return;
    case CodeStoreLine:
        return undecoded(QStringLiteral("unknown line selector %1").arg(paramHex));
    default:
        return undecoded(QStringLiteral("unknown command code %1")
                             .arg(hexByte(static_cast<unsigned char>(code))));
    }
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
