#include "virtual_display/displaywindow.h"

#include "virtual_display/ptyendpoint.h"
#include "virtual_display/vfdwidget.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTimer>
#include <QVBoxLayout>

namespace vq::vdisplay {

namespace {

// Stored lines may hold any byte; show controls as hex so nothing is hidden.
QString printable(const QByteArray& bytes)
{
    QString out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte <= 0x9F))
            out += QStringLiteral("<%1>").arg(uint(byte), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QChar::fromLatin1(c);
    }
    return out;
}

QLabel* valueLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(260);
    return label;
}

} // namespace

DisplayWindow::DisplayWindow(DisplayDecoder& decoder, PtyEndpoint& pty, QWidget* parent)
    : QMainWindow(parent), m_decoder(decoder), m_pty(pty)
{
    setWindowTitle(QStringLiteral("VQ3360 virtual display \u2014 %1").arg(pty.slavePath()));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setSpacing(10);

    m_vfd = new VfdWidget(central);
    layout->addWidget(m_vfd);

    auto* hint =
        new QLabel(QStringLiteral("Open <b>%1</b> in the utility (power-on line: 9600 n,8,1).")
                       .arg(pty.slavePath()),
                   central);
    hint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hint->setAlignment(Qt::AlignCenter);
    layout->addWidget(hint);

    auto* lower = new QHBoxLayout;
    auto* stateBox = new QGroupBox(QStringLiteral("Display state"), central);
    auto* form = new QFormLayout(stateBox);
    m_emulation = valueLabel(stateBox);
    m_charset = valueLabel(stateBox);
    m_displayLine = valueLabel(stateBox);
    m_pcLine = valueLabel(stateBox);
    m_upper = valueLabel(stateBox);
    m_lower = valueLabel(stateBox);
    m_pending = valueLabel(stateBox);
    form->addRow(QStringLiteral("Emulation:"), m_emulation);
    form->addRow(QStringLiteral("Character set:"), m_charset);
    form->addRow(QStringLiteral("Display line:"), m_displayLine);
    form->addRow(QStringLiteral("PC line:"), m_pcLine);
    form->addRow(QStringLiteral("Upper demo line:"), m_upper);
    form->addRow(QStringLiteral("Lower demo line:"), m_lower);
    form->addRow(QStringLiteral("Unfinished input:"), m_pending);
    lower->addWidget(stateBox);

    auto* logBox = new QGroupBox(QStringLiteral("Received"), central);
    auto* logLayout = new QVBoxLayout(logBox);
    m_log = new QPlainTextEdit(logBox);
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(LogLimit);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_log->setMinimumWidth(420);
    logLayout->addWidget(m_log);
    auto* clearLog = new QPushButton(QStringLiteral("Clear log"), logBox);
    connect(clearLog, &QPushButton::clicked, m_log, &QPlainTextEdit::clear);
    logLayout->addWidget(clearLog, 0, Qt::AlignRight);
    lower->addWidget(logBox, 1);
    layout->addLayout(lower, 1);

    setCentralWidget(central);
    resize(sizeHint().expandedTo(QSize(900, 620)));
    // The utility's main window opens centred: from the top-right corner this window's screen
    // and its log stay in view beside it.
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(qMax(available.left(), available.right() + 1 - width()), available.top());
    }

    connect(&pty, &PtyEndpoint::dataReceived, this, &DisplayWindow::receive);
    // The PC side may change speed without sending anything; keep its label honest.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &DisplayWindow::refreshPcLine);
    poll->start(1000);

    refreshState();
}

void DisplayWindow::receive(const QByteArray& data, const SerialLine& pc)
{
    m_decoder.setPcLine(pc);
    const QList<DisplayEvent> events = m_decoder.feed(data);

    // One append per read: a flood of single-byte events must not stall the window.
    const qsizetype first = qMax<qsizetype>(0, events.size() - LogLimit);
    QStringList lines;
    if (first > 0)
        lines << QStringLiteral("... %1 earlier events not shown").arg(first);
    for (qsizetype i = first; i < events.size(); ++i) {
        const DisplayEvent& event = events[i];
        QString hex = hexBytes(event.bytes);
        if (hex.size() > 47)
            hex = hex.left(44) + QStringLiteral("...");
        lines << QStringLiteral("%1  %2").arg(hex, -18).arg(event.message);
    }
    if (!lines.isEmpty())
        m_log->appendPlainText(lines.join(QLatin1Char('\n')));
    refreshState();
}

void DisplayWindow::refreshPcLine()
{
    const SerialLine pc = m_pty.pcLine();
    m_pcLine->setText(pc.baud > 0 ? pc.text() : QStringLiteral("unknown"));
    const bool differs =
        pc.baud > 0 && pc != SerialLine{m_decoder.displayBaud(), m_decoder.framing()};
    m_pcLine->setStyleSheet(differs ? QStringLiteral("color: #c0392b; font-weight: bold")
                                    : QString());
    m_pcLine->setToolTip(
        differs ? QStringLiteral("The display samples the PC's bits at its own rate and framing")
                : QString());
}

void DisplayWindow::refreshState()
{
    m_vfd->setContents(m_decoder.screen());

    m_emulation->setText(emulationName(m_decoder.emulation()));
    m_charset->setText(QStringLiteral("%1 (%2)")
                           .arg(charsetName(m_decoder.charsetCode()))
                           .arg(uint(m_decoder.charsetCode()), 2, 16, QLatin1Char('0')));
    m_displayLine->setText(
        QStringLiteral("%1 %2").arg(m_decoder.displayBaud()).arg(m_decoder.framing().text()));
    for (int row = 0; row < 2; ++row) {
        QLabel* label = row == 0 ? m_upper : m_lower;
        const QByteArray stored = m_decoder.storedText(row);
        const QString shown = printable(stored);
        label->setText(stored.isEmpty()
                           ? QStringLiteral("(empty)")
                           : QStringLiteral("\"%1\"").arg(shown.left(40)) +
                                 (shown.size() > 40 ? QStringLiteral("...") : QString()));
        label->setToolTip(QStringLiteral("%1 bytes: %2").arg(stored.size()).arg(shown.left(400)));
    }
    const QByteArray pending = m_decoder.pendingBytes();
    m_pending->setText(pending.isEmpty()
                           ? QStringLiteral("none")
                           : hexBytes(pending.left(16)) +
                                 (pending.size() > 16 ? QStringLiteral(" ...") : QString()));
    refreshPcLine();
}

} // namespace vq::vdisplay
