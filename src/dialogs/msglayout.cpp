#include "dialogs/msglayout.h"

#include <algorithm>

namespace vq {

namespace {

constexpr FormDef kMsgForm{.name = "msg", .caption = "", .clientWidth = 4200, .clientHeight = 1635};

static_assert(std::size(kMsgControls) == kMsgControlCount);

// The window keeps positions and sizes at single precision.
double sng(double v)
{
    return double(float(v));
}

using enum MsgControl;
constexpr MsgControl kButtons[] = {Command1, Command2, Command3};

void setTops(MsgLayout& l, double top)
{
    for (MsgControl b : kButtons)
        l[b].rect.top = sng(top);
}

// Moving one control to a new tab index shifts the others, as the toolkit does.
void setTabIndex(MsgLayout& l, MsgControl which, int index)
{
    const int old = l[which].tabIndex;
    for (MsgControlState& c : l.controls) {
        if (old > index && c.tabIndex >= index && c.tabIndex < old)
            ++c.tabIndex;
        else if (old < index && c.tabIndex > old && c.tabIndex <= index)
            --c.tabIndex;
    }
    l[which].tabIndex = index;
}

} // namespace

const FormDef& msgFormDef()
{
    return kMsgForm;
}

std::span<const ControlDef> msgControlTable()
{
    return kMsgControls;
}

MsgLayout msgDesignLayout()
{
    MsgLayout l;
    l.title = QString::fromUtf8(kMsgForm.caption);
    for (int i = 0; i < kMsgControlCount; ++i) {
        const ControlDef& row = kMsgControls[i];
        MsgControlState& c = l.controls[size_t(i)];
        c.rect = {sng(row.rect.left), sng(row.rect.top), sng(row.rect.width), sng(row.rect.height)};
        c.caption = QString::fromUtf8(row.caption);
        c.visible = row.kind != ControlKind::HiddenText;
        c.enabled = true;
        c.tabIndex = row.tabIndex;
    }
    l.labelAlign =
        kMsgControls[size_t(Label1)].flags & Centred ? LabelAlign::Centre : LabelAlign::Left;
    return l;
}

MsgLayout messageBoxLayout(const QString& text, int typeCode, const QString& title)
{
    MsgLayout l = msgDesignLayout();
    l[Text1].enabled = false;
    l[Text1].visible = false;

    const qsizetype n = text.size();
    if (n < 36) {
        l.outerHeight = 1425;
        l.outerWidth = 3005;
        l[Label1].rect = {sng(184), sng(90), sng(2050.57), sng(641.5)};
        setTops(l, 610);
        l[Command1].rect.left = sng(61);
        l[Command2].rect.left = sng(787);
        l[Command3].rect.left = sng(1510);
    }
    if (n > 51) {
        l[Label1].rect.height = sng(1070);
        setTops(l, 1150);
    }
    if (n > 28 && n < 36) {
        l[Label1].rect.top = sng(10);
        setTops(l, 630);
    }

    l[Label1].caption = text;
    l.title = title;

    const auto pair = [&l](const char* first, const char* second) {
        l[Command1].caption = QString::fromLatin1(first);
        l[Command1].rect.left = sng((l[Command2].rect.left + l[Command1].rect.left) / 2.6);
        l[Command2].caption = QString::fromLatin1(second);
        l[Command2].rect.left = sng((l[Command3].rect.left + l[Command2].rect.left) / 1.8);
        l[Command3].visible = false;
    };
    const auto single = [&l](const char* caption) {
        l[Command1].caption = QString::fromLatin1(caption);
        l[Command1].rect.left = l[Command2].rect.left;
        l[Command2].visible = false;
        l[Command3].visible = false;
    };
    const auto three = [&l](const char* a, const char* b, const char* c) {
        l[Command1].caption = QString::fromLatin1(a);
        l[Command2].caption = QString::fromLatin1(b);
        l[Command3].caption = QString::fromLatin1(c);
    };
    switch (typeCode) {
    case box::Yes:
        single("Yes");
        break;
    case box::YesNo:
        pair("Yes", "No");
        break;
    case box::YesNoCancel:
        three("Yes", "No", "Cancel");
        break;
    case box::Ok:
        single("Ok");
        break;
    case box::OkAbort:
        pair("Ok", "Abort");
        break;
    case box::OkAbortRetry:
        three("Ok", "Abort", "Retry");
        break;
    default:
        break;
    }
    return l;
}

void keepOnOneLine(MsgLayout& l, double textWidth, double clientWidth)
{
    TwipsRect& label = l[Label1].rect;
    const QString& text = l[Label1].caption;
    if (l.labelAlign != LabelAlign::Centre || text.contains(u'\n') || text.contains(u'\r') ||
        textWidth <= label.width || textWidth > clientWidth)
        return;
    const double left = label.left + (label.width - textWidth) / 2;
    label.left = sng(std::clamp(left, 0.0, clientWidth - textWidth));
    label.width = sng(textWidth);
}

MsgLayout inputBoxLayout(const QString& prompt, const QString& title, const QString& defaultText)
{
    MsgLayout l = msgDesignLayout();
    l.labelAlign = LabelAlign::Left;
    l[Label1].rect.height = sng(1070);
    l[Command1].rect.top = sng(80);
    l[Command2].rect.top = sng(510);
    l[Command3].rect.top = sng(1150);
    l[Command1].rect.left = sng(3000);
    l[Command2].rect.left = sng(3000);
    l[Label1].rect = {sng(184), sng(120), sng(2403), sng(1255)};
    l.outerWidth = 5000;
    l[Text1].rect.width = sng(3550);
    setTabIndex(l, Text1, 0);
    l[Label1].caption = prompt;
    l.title = title;
    l[Command1].caption = QStringLiteral("Ok");
    l[Command2].caption = QStringLiteral("Cancel");
    l[Command3].visible = false;
    if (!defaultText.isEmpty()) {
        l[Text1].caption = defaultText;
    } else {
        l[Text1].caption.clear();
        l[Text1].rect.height = sng(330);
    }
    return l;
}

std::optional<qint16> resultForButton(MsgControl button, const QString& caption)
{
    struct Row {
        MsgControl button;
        const char* caption;
        qint16 result;
    };
    static constexpr Row kRows[] = {
        {Command1, "Yes", pressed::Yes},
        {Command1, "Ok", pressed::Ok},
        {Command2, "No", pressed::No},
        {Command2, "Abort", pressed::Abort},
        {Command2, "Cancel", pressed::CancelInput},
        {Command3, "Cancel", pressed::Cancel},
        {Command3, "Retry", pressed::Retry},
    };
    const auto it = std::find_if(std::begin(kRows), std::end(kRows), [&](const Row& r) {
        return r.button == button && caption == QLatin1String(r.caption);
    });
    if (it == std::end(kRows))
        return std::nullopt;
    return it->result;
}

} // namespace vq
