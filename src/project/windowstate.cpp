#include "windowstate.h"

namespace corvane
{

namespace
{
const char kShowToolbar[] = "showToolbar";
const char kShowOptionsPane[] = "showOptionsPane";
const char kWorkAreaItem[] = "workAreaItem";
const char kCurrentFileName[] = "currentFileName";
const char kSelectedRange[] = "selectedRange";
const char kSelectionIndex[] = "selectionIndex";
const char kWindowFrame[] = "windowFrame";

std::optional<qint64> integer(const QVariant &v)
{
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int ||
        v.typeId() == QMetaType::Bool)
        return v.toLongLong();
    return std::nullopt;
}
} // namespace

QVariantMap WindowState::toDictionary() const
{
    QVariantMap d{{kShowToolbar, showToolbar},
                  {kShowOptionsPane, showOptionsPane},
                  {kWorkAreaItem, workAreaItem.value_or(0)},
                  {kWindowFrame, windowFrame.value_or(QRectF())}};
    if (currentFileName) {
        d.insert(kCurrentFileName, *currentFileName);
        d.insert(kSelectedRange, QVariant::fromValue(selectedRange.value_or(TextRange{})));
        d.insert(kSelectionIndex, selectionIndex.value_or(-1));
    }
    return d;
}

WindowState WindowState::fromDictionary(const QVariantMap &d)
{
    WindowState s;
    s.showToolbar = integer(d.value(kShowToolbar)).value_or(0) != 0;
    s.showOptionsPane = integer(d.value(kShowOptionsPane)).value_or(0) != 0;
    s.workAreaItem = integer(d.value(kWorkAreaItem));
    if (d.value(kCurrentFileName).typeId() == QMetaType::QString)
        s.currentFileName = d.value(kCurrentFileName).toString();
    if (d.value(kSelectedRange).typeId() == QMetaType::fromType<TextRange>().id())
        s.selectedRange = d.value(kSelectedRange).value<TextRange>();
    s.selectionIndex = integer(d.value(kSelectionIndex));
    const QVariant frame = d.value(kWindowFrame);
    if (frame.typeId() == QMetaType::QRectF || frame.typeId() == QMetaType::QRect)
        s.windowFrame = frame.toRectF();
    return s;
}

std::optional<qint64> WindowState::workAreaTab() const
{
    if (!workAreaItem)
        return std::nullopt;
    return *workAreaItem < 0 ? 0 : *workAreaItem;
}

} // namespace corvane
