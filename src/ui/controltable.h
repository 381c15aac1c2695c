#pragma once

#include <array>
#include <cstddef>
#include <QString>
#include <QtGlobal>
#include <span>
#include <string_view>

namespace vq {

// Positions and sizes in twips, 1440 to the inch.
struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
};

enum class ControlKind {
    Label,
    Button,
    Frame,
    Option,
    Combo,
    Text,
    HiddenText,
    Picture,
    MultiText
};

inline constexpr quint32 kNoColour = 0xFFFFFFFFu;

// System colours, taken from the palette when a window is built; numbered as Windows
// numbers them.
enum SystemColour : quint32 {
    SysWindowBackground = 0x80000005u,
    SysWindowText = 0x80000008u,
    SysTitleBarText = 0x80000009u,
    SysActiveBorder = 0x8000000Au,
};

// A colour of the design's own, not one the desktop's palette gives.
constexpr bool isFixedColour(quint32 v)
{
    return v != kNoColour && !(v & 0x80000000u);
}

struct FontDef {
    const char* family = nullptr;
    double points = 0;
    bool bold = false;
};

enum ControlFlag : unsigned {
    Centred = 1u << 0,
    Bordered = 1u << 1,
    DefaultButton = 1u << 2,
    CancelButton = 1u << 3,
    Wrapped = 1u << 4,
};

// One row of a window's control table.
struct ControlDef {
    const char* name = nullptr;
    int index = -1; // member of a control array, or -1
    ControlKind kind = ControlKind::Label;
    const char* caption = "";
    TwipsRect rect{};
    const char* parent = nullptr; // frame that holds it; the client area when null
    FontDef font{};
    quint32 fg = kNoColour; // 0xRRGGBB or a SystemColour
    quint32 bg = kNoColour;
    unsigned flags = 0;
    int tabIndex = -1;
    // What a screen reader reads, where the caption would read badly aloud; "" for a label
    // whose text it reads as shown, however the text changes.
    const char* spoken = nullptr;
    // The label whose caption names this control: "Label4", "Label7(2)" for one member of an
    // array, or an array's name for the member with this row's index.
    const char* label = nullptr;
};

struct FormDef {
    const char* name = nullptr;
    const char* caption = "";
    double clientWidth = 0, clientHeight = 0; // twips
    quint32 bg = kNoColour;
    FontDef font{};
};

// One control of a window's table, or one member of a control array, as a window's code names
// it. Made only while compiling, from the table itself, so a name or index the table lacks does
// not build.
class ControlKey {
public:
    template <std::size_t N>
    static consteval ControlKey in(const ControlDef (&table)[N], std::string_view name,
                                   int index = -1)
    {
        for (const ControlDef& c : table) {
            if (std::string_view(c.name) == name && c.index == index)
                return ControlKey(c.name, index);
        }
        throw "the control table has no such control";
    }
    // Members 0 to Count - 1 of a control array, every one of them in the table.
    template <std::size_t Count, std::size_t N>
    static consteval std::array<ControlKey, Count> array(const ControlDef (&table)[N],
                                                         std::string_view name)
    {
        std::array<ControlKey, Count> keys{};
        for (std::size_t i = 0; i < Count; ++i)
            keys[i] = in(table, name, int(i));
        return keys;
    }

    constexpr ControlKey() = default;
    const char* name() const { return m_name; }
    int index() const { return m_index; }

private:
    constexpr ControlKey(const char* name, int index) : m_name(name), m_index(index) {}
    const char* m_name = "";
    int m_index = -1;
};

// Logical DPI of 96 gives 15 twips a pixel.
int twipsToPixels(double twips, double dpi);
double pixelsToTwips(int pixels, double dpi);

// A caption without its access-key marks, as the toolkit reads it.
QString plainCaption(const QString& caption);
// A caption as words: no access-key marks, "_" as a blank, no blanks at either end or doubled;
// " N_8_1" reads "N 8 1".
QString spokenName(const QString& caption);

// A caption as the name of what it labels: no access-key marks, no punctuation it ends with
// ("COM1 :" names "COM1"), runs of blanks as one.
QString nameFromCaption(const QString& caption);

// Where a single line of text starts below the top of a box `room` high. At the top while the
// line (ascent and descent) fits; otherwise raised just enough for the glyphs' own extent
// (inkTop to inkBottom below the line's top) to fit, and centred when even that does not.
double lineTopInBox(double room, double lineHeight, double inkTop, double inkBottom);

// Left (or Top) that centres an outer extent on the screen: the difference rounded half to
// even, then halved dropping the remainder.
int centredTwips(double screenTwips, double outerTwips);

} // namespace vq
