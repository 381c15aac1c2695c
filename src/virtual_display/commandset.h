#pragma once

#include "virtual_display/protocoltables.h"
#include "virtual_display/screenmodel.h"

#include <QByteArray>
#include <QJsonValue>
#include <QLatin1String>
#include <QList>
#include <QString>

#include <memory>
#include <utility>

namespace vq::vdisplay {

enum class EventKind {
    Text,
    Cursor,
    Control,
    Clear,
    Emulation,
    Reset,
    DisplayBaud,
    DisplayFraming,
    Charset,
    StoreLine,
    TextCut,
    ClearLine,
    ShowDemo,
    Undecoded,
    SpeedMismatch,
    SpeedMatch,
    Command,
    PassThrough,
    Unknown,
};
constexpr int EventKindCount = int(EventKind::Unknown) + 1;

// As the JSON names it, e.g. "display_baud".
QLatin1String eventName(EventKind kind);

using Fields = QList<std::pair<QString, QJsonValue>>;

// What an event says: its kind, its words and its own fields, in output order.
struct Said {
    EventKind kind = EventKind::Text;
    QString message;
    Fields fields;
};

// What a command set acts on: the screen, the log, and the display's choice of emulation.
class Display {
public:
    virtual ScreenModel& screen() = 0;
    // One event for these bytes, with the screen as it is now.
    virtual void report(const Said& said, QByteArrayView bytes) = 0;
    // From the next byte on, another set reads; the screen takes its modes at once.
    virtual void switchTo(Emulation emulation) = 0;

protected:
    ~Display() = default;
};

// One emulation's command set: bytes in, screen changes and events out. Set-up frames never
// reach it, except as bytes of a sequence awaiting a parameter.
class CommandSet {
public:
    // An emulation's sequence this long without its end is given up on.
    static constexpr int SequenceCap = 1024;

    explicit CommandSet(Emulation emulation) : m_emulation(emulation) {}
    virtual ~CommandSet() = default;

    Emulation emulation() const { return m_emulation; }
    // Whether the set shows a cursor at power-on.
    virtual bool showsCursor() const { return true; }
    virtual void take(unsigned char byte, Display& display) = 0;
    // While a parameter byte is awaited, any byte is one, the STX of a set-up frame too.
    virtual bool awaitsParameter() const { return false; }

    // Bytes of a sequence begun but not finished.
    const QByteArray& pending() const { return m_pending; }
    // Reports what is pending as `said` and starts afresh.
    void giveUp(Display& display, const Said& said);

protected:
    // Whatever a sequence in progress keeps besides its bytes, back to nothing.
    virtual void restart() {}
    void finish(Display& display, const Said& said);

    const Emulation m_emulation;
    QByteArray m_pending;
};

std::unique_ptr<CommandSet> makeCommandSet(Emulation emulation);

// What the sets say, made once where it is said often.
namespace say {
QString hex(unsigned char byte);
// A character shown, as its cell shows it.
Said text(QChar glyph);
Said cursor(const QString& name, int cell);
Said control(unsigned char byte, Emulation emulation);
Said clear(Emulation emulation, const QString& how = {});
Said command(Emulation emulation, const QString& name, const QString& message);
Said passThrough(Emulation emulation, QByteArrayView bytes);
Said unknown(Emulation emulation, QByteArrayView bytes);
Said undecoded(const QString& reason);
Said emulation(Emulation emulation);
} // namespace say

// The usual lot of a byte no command takes: a printable one is shown, a control byte logged.
void showOrLog(unsigned char byte, Display& display, Emulation emulation);

} // namespace vq::vdisplay
