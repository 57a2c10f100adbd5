#include "editor/MessageOverlay.h"

#include "gui/CDrawContext.h"
#include "gui/CFontDesc.h"

namespace {

constexpr CCoord kPanelWidth = 360;
constexpr CCoord kLineHeight = 18;
constexpr CCoord kButtonWidth = 80;
constexpr CCoord kButtonHeight = 24;
constexpr CCoord kGap = 10;

std::string utf8(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) {
        auto code = static_cast<unsigned long>(c);
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xc0 | (code >> 6));
            out += char(0x80 | (code & 0x3f));
        } else {
            code = code < 0x10000 ? code : 0xfffd;
            out += char(0xe0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3f));
            out += char(0x80 | (code & 0x3f));
        }
    }
    return out;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else if (c != '\r')
            lines.back() += c;
    }
    return lines;
}

std::vector<MessageAnswer> answersOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::YesNo:
        return {MessageAnswer::Yes, MessageAnswer::No};
    case MessageButtons::YesNoCancel:
        return {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel};
    case MessageButtons::Ok:
        break;
    }
    return {MessageAnswer::Ok};
}

const char* labelOf(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Yes:
        return "Yes";
    case MessageAnswer::No:
        return "No";
    case MessageAnswer::Cancel:
        return "Cancel";
    default:
        return "OK";
    }
}

CRect panelRect(const CRect& area, size_t lineCount)
{
    CCoord height = kGap * 4 + kLineHeight * CCoord(lineCount + 1) + kButtonHeight;
    CCoord left = area.left + (area.width() - kPanelWidth) / 2;
    CCoord top = area.top + (area.height() - height) / 2;
    return CRect(left, top, left + kPanelWidth, top + height);
}

} // namespace

MessageOverlay::MessageOverlay(const CRect& area, const std::wstring& text, const std::wstring& titleText,
                               MessageButtons buttons)
    : CView(area), title(utf8(titleText)), lines(splitLines(utf8(text))), buttonAnswers(answersOf(buttons))
{
}

MessageAnswer MessageOverlay::refusal() const
{
    return buttonAnswers.back();
}

CRect MessageOverlay::buttonRect(MessageAnswer button) const
{
    CRect panel = panelRect(size, lines.size());
    CCoord right = panel.right - kGap;
    for (size_t i = buttonAnswers.size(); i-- > 0;) {
        CRect place(right - kButtonWidth, panel.bottom - kGap - kButtonHeight, right, panel.bottom - kGap);
        if (buttonAnswers[i] == button)
            return place;
        right -= kButtonWidth + kGap;
    }
    return CRect();
}

void MessageOverlay::draw(CDrawContext* context)
{
    const CColor dim{0, 0, 0, 160};
    const CColor panelColour{236, 236, 236, 255};
    const CColor border{90, 90, 90, 255};
    context->fillRect(size, dim);
    CRect panel = panelRect(size, lines.size());
    context->fillRect(panel, panelColour);
    context->frameRect(panel, border);
    CRect row(panel.left + kGap, panel.top + kGap, panel.right - kGap, panel.top + kGap + kLineHeight);
    context->drawString(title, row, kNormalFont, kBlackCColor, kLeftText);
    for (const auto& line : lines) {
        row.offset(0, kLineHeight);
        context->drawString(line, row, kNormalFont, kBlackCColor, kLeftText);
    }
    for (MessageAnswer button : buttonAnswers) {
        CRect place = buttonRect(button);
        context->fillRect(place, kWhiteCColor);
        context->frameRect(place, border);
        context->drawString(labelOf(button), place, kNormalFont, kBlackCColor, kCenterText);
    }
    setDirty(false);
}

CMouseEventResult MessageOverlay::onMouseDown(CPoint& where, const long& /*buttons*/)
{
    for (MessageAnswer button : buttonAnswers)
        if (buttonRect(button).pointInside(where))
            choose(button);
    // Handled either way: nothing under the overlay may take the click.
    return kMouseEventHandled;
}

long MessageOverlay::onKeyDown(VstKeyCode& key)
{
    if (key.virt == VKEY_ESCAPE)
        choose(refusal());
    else if (key.virt == VKEY_RETURN)
        choose(buttonAnswers.front());
    return 1;
}

void MessageOverlay::choose(MessageAnswer answer)
{
    hasAnswer = true;
    chosen = answer;
}
