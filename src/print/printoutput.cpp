#include "printoutput.h"

#include "paintersurface.h"

namespace nvl {

PrintOutcome renderCards(const LayoutInput &input, bool fourUp, QPagedPaintDevice *device,
                         QPointF origin) {
    PainterSurface surface(device, origin);
    if (!surface.begin())
        return {false, QStringLiteral("印刷を開始できませんでした。")};
    if (fourUp)
        PriMain(input, surface);
    else
        PriMain2(input, surface);
    if (!surface.endDocument())
        return {false, QStringLiteral("印刷を終了できませんでした。")};
    return {};
}

} // namespace nvl
