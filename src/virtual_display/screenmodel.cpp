#include "virtual_display/screenmodel.h"

#include "virtual_display/protocoltables.h"

#include <algorithm>

namespace vq::vdisplay {

QChar ScreenState::glyph(int cell) const
{
    if (marks[cell] & UserGlyph)
        return QChar(0xFFFD);
    return glyphFor(static_cast<unsigned char>(cells[cell]), charset);
}

QString ScreenState::rowText(int row) const
{
    QString text(Columns, u' ');
    for (int column = 0; column < Columns; ++column)
        text[column] = glyph(row * Columns + column);
    return text;
}

QString ScreenState::rowMarks(int row) const
{
    QString text(Columns, u'0');
    for (int column = 0; column < Columns; ++column)
        text[column] = QLatin1Char("0123456789ABCDEF"[marks[row * Columns + column] & 0x0F]);
    return text;
}

ScreenModel::ScreenModel()
{
    clear();
}

int ScreenModel::put(unsigned char byte)
{
    int& cursor = m_state.cursor;
    const int row = cursor / Columns;
    if (m_pastEnd) {
        if (m_state.mode == WriteMode::Horizontal) {
            const int first = row * Columns;
            std::copy(m_state.cells.begin() + first + 1, m_state.cells.begin() + first + Columns,
                      m_state.cells.begin() + first);
            std::copy(m_state.marks.begin() + first + 1, m_state.marks.begin() + first + Columns,
                      m_state.marks.begin() + first);
        } else {
            scrollUp();
            cursor = Columns;
        }
        m_pastEnd = false;
    }
    const int written = cursor;
    const bool userGlyph = m_userGlyphs && pattern(byte);
    m_state.cells[cursor] = static_cast<char>(byte);
    m_state.marks[cursor] =
        static_cast<std::uint8_t>(m_writeMarks | (m_rowBlink[cursor / Columns] ? Blink : 0) |
                                  (m_state.marks[cursor] & Dot) | (userGlyph ? UserGlyph : 0));
    const bool lastOfRow = cursor % Columns == Columns - 1;
    if (lastOfRow && (m_state.mode == WriteMode::Horizontal ||
                      (m_state.mode == WriteMode::Vertical && cursor == CellCount - 1)))
        m_pastEnd = true;
    else
        cursor = (cursor + 1) % CellCount;
    return written;
}

void ScreenModel::left()
{
    settle();
    int& cursor = m_state.cursor;
    if (cursor % Columns != 0)
        --cursor;
    else if (m_state.mode != WriteMode::Horizontal)
        cursor = (cursor + CellCount - 1) % CellCount; // the other row's right end
}

void ScreenModel::right()
{
    settle();
    int& cursor = m_state.cursor;
    if (cursor % Columns != Columns - 1 || m_state.mode == WriteMode::Overwrite) {
        cursor = (cursor + 1) % CellCount;
    } else if (m_state.mode == WriteMode::Vertical) {
        if (cursor == CellCount - 1)
            scrollUp();
        cursor = Columns;
    }
}

void ScreenModel::down()
{
    settle();
    int& cursor = m_state.cursor;
    if (cursor < Columns)
        cursor += Columns;
    else if (m_state.mode == WriteMode::Overwrite)
        cursor -= Columns;
    else if (m_state.mode == WriteMode::Vertical)
        scrollUp();
}

void ScreenModel::up()
{
    settle();
    int& cursor = m_state.cursor;
    if (cursor >= Columns)
        cursor -= Columns;
    else if (m_state.mode == WriteMode::Overwrite)
        cursor += Columns;
    else if (m_state.mode == WriteMode::Vertical)
        scrollDown();
}

void ScreenModel::rowStart()
{
    settle();
    m_state.cursor -= m_state.cursor % Columns;
}

void ScreenModel::rowEnd()
{
    settle();
    m_state.cursor += Columns - 1 - m_state.cursor % Columns;
}

void ScreenModel::setCursor(int cell)
{
    settle();
    m_state.cursor = ((cell % CellCount) + CellCount) % CellCount;
}

void ScreenModel::clear()
{
    clearCells(0, CellCount - 1);
    setCursor(0);
}

void ScreenModel::clearCells(int from, int to)
{
    from = std::max(from, 0);
    to = std::min(to, CellCount - 1);
    for (int cell = from; cell <= to; ++cell) {
        m_state.cells[cell] = ' ';
        m_state.marks[cell] = m_rowBlink[cell / Columns] ? Blink : 0;
    }
    if (from < Columns)
        scroll({}, Scrolling::None);
}

void ScreenModel::setRow(int row, QByteArrayView text)
{
    if (row < 0 || row >= Rows)
        return;
    for (int column = 0; column < Columns; ++column) {
        char byte = column < text.size() ? text[column] : ' ';
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x20 || value == 0x7F)
            byte = ' ';
        m_state.cells[row * Columns + column] = byte;
        m_state.marks[row * Columns + column] = m_rowBlink[row] ? Blink : 0;
    }
    if (row == 0)
        scroll({}, Scrolling::None);
}

void ScreenModel::setWriteMark(CellMark mark, bool on)
{
    m_writeMarks = on ? (m_writeMarks | mark) : (m_writeMarks & ~mark);
}

void ScreenModel::setRowBlink(int row, bool on)
{
    m_rowBlink[row] = on;
    for (int cell = row * Columns; cell < (row + 1) * Columns; ++cell)
        m_state.marks[cell] = on ? (m_state.marks[cell] | Blink) : (m_state.marks[cell] & ~Blink);
}

void ScreenModel::markCell(int cell, CellMark mark)
{
    m_state.marks[cell] |= mark;
}

void ScreenModel::scroll(const QByteArray& text, Scrolling how)
{
    m_scrollText = text;
    m_state.scrolling = how;
}

void ScreenModel::definePattern(unsigned char code, const Pattern& pattern)
{
    if (code < 0x20 || code > 0x7E)
        return;
    m_patterns[code - 0x20] = pattern;
    m_defined[code - 0x20] = true;
}

void ScreenModel::deletePattern(unsigned char code)
{
    if (code >= 0x20 && code <= 0x7E)
        m_defined[code - 0x20] = false;
}

const ScreenModel::Pattern* ScreenModel::pattern(unsigned char code) const
{
    if (code < 0x20 || code > 0x7E || !m_defined[code - 0x20])
        return nullptr;
    return &m_patterns[code - 0x20];
}

void ScreenModel::resetModes(bool cursorShown)
{
    settle();
    m_state.mode = WriteMode::Overwrite;
    m_state.cursorShown = cursorShown;
    m_state.brightness = 4;
    m_state.blink = 0;
    m_writeMarks = 0;
    m_userGlyphs = false;
    m_rowBlink = {};
    for (std::uint8_t& mark : m_state.marks)
        mark &= Dot;
    scroll({}, Scrolling::None);
}

QByteArray ScreenModel::rowBytes(int row) const
{
    if (row < 0 || row >= Rows)
        return {};
    return QByteArray(m_state.cells.data() + row * Columns, Columns);
}

void ScreenModel::scrollUp()
{
    std::copy(m_state.cells.begin() + Columns, m_state.cells.end(), m_state.cells.begin());
    std::copy(m_state.marks.begin() + Columns, m_state.marks.end(), m_state.marks.begin());
    clearCells(Columns, CellCount - 1);
    scroll({}, Scrolling::None);
}

void ScreenModel::scrollDown()
{
    std::copy(m_state.cells.begin(), m_state.cells.begin() + Columns,
              m_state.cells.begin() + Columns);
    std::copy(m_state.marks.begin(), m_state.marks.begin() + Columns,
              m_state.marks.begin() + Columns);
    clearCells(0, Columns - 1);
}

} // namespace vq::vdisplay
