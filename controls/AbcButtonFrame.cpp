#include "controls/AbcButtonFrame.h"

#include <span>

#include <QPainter>

#include "platform/qt/Colors.h"
#include "platform/qt/DrawEdge.h"

namespace {

using platform::Edge;
using platform::EdgeOption;
using platform::EdgePart;

// One step of a frame, applied to the shrinking rectangle.
enum class Step : std::uint8_t
{
    RaisedOuter,
    RaisedOuterSoft,
    RaisedInner,
    RaisedInnerSoftBottomRight, // only the bottom and right sides
    SunkenOuter,
    SunkenOuterSoft,
    SunkenBothSoft,         // outer and inner ring
    SunkenInnerSoftTopLeft, // only the top and left sides
    BlackFrame,             // a one-pixel black frame
    FrameGreyShadow,        // light grey top/left, button shadow bottom/right
    FrameShadowGrey,        // button shadow top/left, light grey bottom/right
    Shrink,                 // one pixel inwards on every side, nothing drawn
    ShadowLineAtBottom,     // a button-shadow line on the last row; the bottom moves up by one
};

using S = Step;
using Steps = std::span<const Step>;

constexpr QColor LightGrey(222, 222, 222);

// The steps of every style's three looks; a style without a hot look of its own uses its normal one.
struct StyleSteps
{
    Steps pressed;
    Steps hot;
    Steps normal;
};

constexpr Step NewPressed[] = {S::SunkenBothSoft};
constexpr Step NewNormal[] = {S::RaisedOuterSoft, S::RaisedInnerSoftBottomRight};
constexpr Step Win31Pressed[] = {S::BlackFrame, S::SunkenInnerSoftTopLeft};
constexpr Step Win31Normal[] = {S::BlackFrame, S::RaisedInner, S::RaisedInner};
constexpr Step ThinPressed[] = {S::SunkenOuter};
constexpr Step ThinNormal[] = {S::RaisedInner};
constexpr Step ThinBlackPressed[] = {S::SunkenOuterSoft};
constexpr Step ThinBlackNormal[] = {S::RaisedOuterSoft};
constexpr Step ThinGrayPressed[] = {S::FrameShadowGrey};
constexpr Step ThinGrayNormal[] = {S::FrameGreyShadow};
constexpr Step ThinHighlightHot[] = {S::RaisedOuterSoft};
constexpr Step MidHighlightPressed[] = {S::SunkenOuterSoft, S::FrameShadowGrey};
constexpr Step MidHighlightHot[] = {S::RaisedOuterSoft, S::FrameGreyShadow};
constexpr Step ThickHighlightPressed[] = {S::SunkenOuterSoft, S::FrameShadowGrey};
constexpr Step ThickHighlightHot[] = {S::ShadowLineAtBottom, S::RaisedOuterSoft, S::FrameGreyShadow};
constexpr Step ThickHighlightNormal[] = {S::RaisedInner, S::ShadowLineAtBottom};
constexpr Step FramedPressed[] = {S::SunkenOuter, S::SunkenOuter};
constexpr Step FramedNormal[] = {S::SunkenOuter, S::RaisedInner};
constexpr Step FramedBlackPressed[] = {S::SunkenOuterSoft, S::SunkenOuterSoft};
constexpr Step FramedBlackNormal[] = {S::SunkenOuterSoft, S::RaisedOuterSoft};
constexpr Step FramedRaisedNormal[] = {S::SunkenOuterSoft, S::RaisedOuterSoft, S::FrameGreyShadow};
constexpr Step FramedHighlightHot[] = {S::SunkenOuter, S::RaisedInner, S::FrameGreyShadow};
constexpr Step FramedBlackHighlightHot[] = {S::SunkenOuterSoft, S::RaisedOuterSoft, S::FrameGreyShadow};
// The recessed styles leave a one-pixel gap of face colour inside the first sunken ring.
constexpr Step RecessedNormal[] = {S::SunkenOuter, S::Shrink, S::RaisedInner};
constexpr Step RecessedBlackNormal[] = {S::SunkenOuterSoft, S::Shrink, S::RaisedOuterSoft};
constexpr Step RecessedRaisedNormal[] = {S::SunkenOuterSoft, S::Shrink, S::RaisedOuterSoft,
                                         S::FrameGreyShadow};
constexpr Step RecessedHighlightHot[] = {S::SunkenOuter, S::Shrink, S::RaisedInner, S::FrameGreyShadow};
constexpr Step RecessedBlackHighlightHot[] = {S::SunkenOuterSoft, S::Shrink, S::RaisedOuterSoft,
                                              S::FrameGreyShadow};

StyleSteps StepsOf(TabcButtonStyle style)
{
    using B = TabcButtonStyle;
    switch (style) {
    case B::absAutoDetect: // Qt always draws the new-style controls
    case B::absNew:
        return {NewPressed, NewNormal, NewNormal};
    case B::absWin31:
        return {Win31Pressed, Win31Normal, Win31Normal};
    case B::absThin:
        return {ThinPressed, ThinNormal, ThinNormal};
    case B::absThinBlack:
        return {ThinBlackPressed, ThinBlackNormal, ThinBlackNormal};
    case B::absThinGray:
        return {ThinGrayPressed, ThinGrayNormal, ThinGrayNormal};
    case B::absThinHighlight:
        return {ThinBlackPressed, ThinHighlightHot, ThinNormal};
    case B::absMidHighlight:
        return {MidHighlightPressed, MidHighlightHot, ThinNormal};
    case B::absThickHighlight:
        return {ThickHighlightPressed, ThickHighlightHot, ThickHighlightNormal};
    case B::absFramed:
        return {FramedPressed, FramedNormal, FramedNormal};
    case B::absFramedBlack:
        return {FramedBlackPressed, FramedBlackNormal, FramedBlackNormal};
    case B::absFramedRaised:
        return {FramedPressed, FramedRaisedNormal, FramedRaisedNormal};
    case B::absFramedHighlight:
        return {FramedPressed, FramedHighlightHot, FramedNormal};
    case B::absFramedBlackHighlight:
        return {FramedBlackPressed, FramedBlackHighlightHot, FramedBlackNormal};
    case B::absRecessed:
        return {FramedPressed, RecessedNormal, RecessedNormal};
    case B::absRecessedBlack:
        return {FramedBlackPressed, RecessedBlackNormal, RecessedBlackNormal};
    case B::absRecessedRaised:
        return {FramedPressed, RecessedRaisedNormal, RecessedRaisedNormal};
    case B::absRecessedHighlight:
        return {FramedPressed, RecessedHighlightHot, RecessedNormal};
    case B::absRecessedBlackHighlight:
        return {FramedBlackPressed, RecessedBlackHighlightHot, RecessedBlackNormal};
    }
    return {ThinPressed, ThinNormal, ThinNormal};
}

void Apply(QPainter& painter, QRect& rect, Step step)
{
    constexpr auto all = EdgeOption::AllSides | EdgeOption::Adjust;
    switch (step) {
    case S::RaisedOuter:
        platform::DrawEdge(painter, rect, EdgePart::RaisedOuter, all);
        break;
    case S::RaisedOuterSoft:
        platform::DrawEdge(painter, rect, EdgePart::RaisedOuter, all | EdgeOption::Soft);
        break;
    case S::RaisedInner:
        platform::DrawEdge(painter, rect, EdgePart::RaisedInner, all);
        break;
    case S::RaisedInnerSoftBottomRight:
        platform::DrawEdge(painter, rect, EdgePart::RaisedInner,
                           EdgeOption::Bottom | EdgeOption::Right | EdgeOption::Adjust | EdgeOption::Soft);
        break;
    case S::SunkenOuter:
        platform::DrawEdge(painter, rect, EdgePart::SunkenOuter, all);
        break;
    case S::SunkenOuterSoft:
        platform::DrawEdge(painter, rect, EdgePart::SunkenOuter, all | EdgeOption::Soft);
        break;
    case S::SunkenBothSoft:
        platform::DrawEdge(painter, rect, platform::EdgeSunken, all | EdgeOption::Soft);
        break;
    case S::SunkenInnerSoftTopLeft:
        platform::DrawEdge(painter, rect, EdgePart::SunkenInner,
                           EdgeOption::Top | EdgeOption::Left | EdgeOption::Adjust | EdgeOption::Soft);
        break;
    case S::BlackFrame:
        platform::DrawTwoColorFrame(painter, rect, Qt::black, Qt::black);
        break;
    case S::FrameGreyShadow:
        platform::DrawTwoColorFrame(painter, rect, LightGrey, ColorToQColor(clBtnShadow));
        break;
    case S::FrameShadowGrey:
        platform::DrawTwoColorFrame(painter, rect, ColorToQColor(clBtnShadow), LightGrey);
        break;
    case S::Shrink:
        rect.adjust(1, 1, -1, -1);
        break;
    case S::ShadowLineAtBottom:
        // From one pixel left of the rectangle to its right side: on the left this covers the
        // highlight of the ring drawn before, so the shadow runs the whole width.
        if (rect.height() > 0) {
            painter.fillRect(QRect(rect.left() - 1, rect.bottom(), rect.width() + 1, 1),
                             ColorToQColor(clBtnShadow));
        }
        rect.setBottom(rect.bottom() - 1);
        break;
    }
}

} // namespace

QRect DrawButtonFrame(QPainter& painter, const QRect& rect, TabcButtonStyle style, TabcFrameLook look)
{
    const StyleSteps steps = StepsOf(style);
    const Steps chosen = look == TabcFrameLook::Pressed
                             ? steps.pressed
                             : (look == TabcFrameLook::Hot ? steps.hot : steps.normal);
    QRect content = rect;
    for (const Step step : chosen) {
        Apply(painter, content, step);
    }
    return content;
}
