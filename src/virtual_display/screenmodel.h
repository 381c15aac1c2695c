#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

namespace vq::vdisplay {

// What a character run off a row's end does; power-on is Overwrite.
enum class WriteMode { Overwrite, Vertical, Horizontal };
// A message scrolling through the upper row; the window animates it.
enum class Scrolling { None, Once, Continuous };

// Marks on a cell, as bits.
enum CellMark : std::uint8_t { Blink = 1, Reverse = 2, Dot = 4, UserGlyph = 8 };

// What the glass shows after an event: cells hold the codes received, drawn through the
// character set; everything an event reports about the screen.
struct ScreenState {
    static constexpr int Columns = 20;
    static constexpr int Rows = 2;
    static constexpr int CellCount = Columns * Rows;

    std::array<char, CellCount> cells{};
    std::array<std::uint8_t, CellCount> marks{};
    int cursor = 0;
    bool cursorShown = true;
    int brightness = 4; // 1..4, 4 brightest
    int blink = 0;      // the whole glass: 0 steady, n: n x 50 ms on and off, 255: blanked
    unsigned char charset = 0x30;
    WriteMode mode = WriteMode::Overwrite;
    Scrolling scrolling = Scrolling::None;

    // The glyph a cell shows: its code through the character set, U+FFFD for a user glyph.
    QChar glyph(int cell) const;
    // Twenty glyphs.
    QString rowText(int row) const;
    // Twenty hex digits, one per cell: the sum of its marks.
    QString rowMarks(int row) const;
    bool operator==(const ScreenState&) const = default;
};

// Two rows of twenty cells and the modes that say how writing and cursor moves run off a row.
// In overwrite the cursor runs through the forty cells as a ring; in vertical scroll the lower
// row moves up when it is run off; in horizontal scroll a row shifts left under new characters.
class ScreenModel {
public:
    static constexpr int Columns = ScreenState::Columns;
    static constexpr int Rows = ScreenState::Rows;
    static constexpr int CellCount = ScreenState::CellCount;
    using Pattern = std::array<std::uint8_t, 5>; // five columns, top dot in bit 7

    ScreenModel();

    // Returns the cell written.
    int put(unsigned char byte);
    void left();
    void right();
    void down();
    void up();
    void rowStart();
    void rowEnd();
    void setCursor(int cell);
    void clear(); // blank, cursor home
    void clearCells(int from, int to);
    // Replaces a whole row; short text is padded with blanks, control bytes show as blanks.
    void setRow(int row, QByteArrayView text);

    void setMode(WriteMode mode) { m_state.mode = mode; }
    void setCursorShown(bool shown) { m_state.cursorShown = shown; }
    void setBrightness(int level) { m_state.brightness = level; }
    void setBlink(int blink) { m_state.blink = blink; }
    void setCharset(unsigned char code) { m_state.charset = code; }
    // Marks that characters written from now on get (reverse, blink).
    void setWriteMark(CellMark mark, bool on);
    void setRowBlink(int row, bool on);
    void markCell(int cell, CellMark mark);
    void scroll(const QByteArray& text, Scrolling how);
    void setUserGlyphs(bool on) { m_userGlyphs = on; }
    void definePattern(unsigned char code, const Pattern& pattern);
    void deletePattern(unsigned char code);
    // Power-on modes: overwrite, brightness 4, nothing blinking, reversed or scrolling, no
    // user glyphs. Cells, cursor and character set stay.
    void resetModes(bool cursorShown);

    int cursor() const { return m_state.cursor; }
    const ScreenState& state() const { return m_state; }
    unsigned char cell(int index) const { return static_cast<unsigned char>(m_state.cells[index]); }
    QByteArray rowBytes(int row) const;
    QString rowText(int row) const { return m_state.rowText(row); }
    QByteArray scrollText() const { return m_scrollText; }
    // The pattern of a code, if one is defined.
    const Pattern* pattern(unsigned char code) const;

private:
    void scrollUp();
    void scrollDown();
    void settle() { m_pastEnd = false; }

    ScreenState m_state;
    // Written to a row's last cell in a scroll mode: the next character runs off.
    bool m_pastEnd = false;
    std::uint8_t m_writeMarks = 0;
    std::array<bool, Rows> m_rowBlink{};
    QByteArray m_scrollText;
    bool m_userGlyphs = false;
    std::array<Pattern, 95> m_patterns{}; // 20..7E
    std::array<bool, 95> m_defined{};
};

} // namespace vq::vdisplay
