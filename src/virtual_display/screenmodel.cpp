#include "virtual_display/screenmodel.h"

namespace vq::vdisplay {

ScreenModel::ScreenModel()
{
    clear();
}

void ScreenModel::put(unsigned char byte)
{
    m_cells[m_cursor] = static_cast<char>(byte);
    m_cursor = (m_cursor + 1) % CellCount;
}

void ScreenModel::carriageReturn()
{
    m_cursor -= m_cursor % Columns;
}

void ScreenModel::lineFeed()
{
    m_cursor = (m_cursor + Columns) % CellCount;
}

void ScreenModel::backspace()
{
    m_cursor = (m_cursor + CellCount - 1) % CellCount;
}

void ScreenModel::clear()
{
    m_cells.fill(' ');
    m_cursor = 0;
}

void ScreenModel::setLine(int row, QByteArrayView text)
{
    if (row < 0 || row >= Rows)
        return;
    for (int column = 0; column < Columns; ++column) {
        char byte = column < text.size() ? text[column] : ' ';
        const auto value = static_cast<unsigned char>(byte);
        if (value < 0x20 || value == 0x7F)
            byte = ' ';
        m_cells[row * Columns + column] = byte;
    }
}

void ScreenModel::setCursor(int cell)
{
    m_cursor = ((cell % CellCount) + CellCount) % CellCount;
}

QByteArray ScreenModel::lineBytes(int row) const
{
    if (row < 0 || row >= Rows)
        return {};
    return QByteArray(m_cells.data() + row * Columns, Columns);
}

QString ScreenModel::lineText(int row) const
{
    return QString::fromLatin1(lineBytes(row));
}

} // namespace vq::vdisplay
