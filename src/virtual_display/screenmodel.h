#pragma once

#include <QByteArray>
#include <QString>

#include <array>

namespace vq::vdisplay {

// Two lines of twenty cells. The cursor runs through all forty cells as one ring:
// past the end of the upper line it continues on the lower one, and past the end
// of the lower line it comes back to the start of the upper one.
class ScreenModel {
public:
    static constexpr int Columns = 20;
    static constexpr int Rows = 2;
    static constexpr int CellCount = Columns * Rows;

    ScreenModel();

    void put(unsigned char byte);
    void carriageReturn();
    void lineFeed();
    void backspace();
    void clear();
    // Replaces a whole line; short text is padded with blanks, control bytes show as blanks.
    void setLine(int row, QByteArrayView text);
    void setCursor(int cell);

    int cursor() const { return m_cursor; }
    unsigned char cell(int index) const { return static_cast<unsigned char>(m_cells[index]); }
    const std::array<char, CellCount>& cells() const { return m_cells; }
    QByteArray lineBytes(int row) const;
    // Latin-1 view of a line, exactly twenty characters.
    QString lineText(int row) const;

private:
    std::array<char, CellCount> m_cells;
    int m_cursor = 0;
};

} // namespace vq::vdisplay
