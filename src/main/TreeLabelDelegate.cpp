#include "main/TreeLabelDelegate.h"

#include "platform/PlainHint.h"
#include "window/HintTimes.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QMetaProperty>
#include <QStyle>
#include <QToolTip>

TreeLabelDelegate::TreeLabelDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

// The view closes an editor in several ways (Enter, Esc, focus leaving, another node
// becoming current) and not all of them pass through this delegate; every one of them
// deletes the editor, so the end of an edit is taken from there.
QWidget *TreeLabelDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    m_edits.insert(editor, Edit{index, std::nullopt});
    auto *self = const_cast<TreeLabelDelegate *>(this);
    connect(editor, &QObject::destroyed, self, &TreeLabelDelegate::editorGone);
    return editor;
}

void TreeLabelDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    Q_UNUSED(model);
    Q_UNUSED(index);
    const auto edit = m_edits.find(editor);
    if (edit == m_edits.end())
        return;
    edit->confirmed = editor->metaObject()->userProperty().read(editor).toString();
}

void TreeLabelDelegate::editorGone(QObject *editor)
{
    const Edit edit = m_edits.take(editor);
    if (edit.confirmed)
        Q_EMIT labelConfirmed(edit.index, *edit.confirmed);
    else
        Q_EMIT editCancelled(edit.index);
}

bool TreeLabelDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                  const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (!index.isValid() || !isCutShort(option, index, view)) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QToolTip::showText(event->globalPos(), PlainHint::asRichText(index.data().toString(), view), view->viewport(),
                       option.rect, HintTimes::displayTime());
    return true;
}

// Measured as the style draws an item's text: in its text rectangle, less the focus
// frame's margin on either side.
bool TreeLabelDelegate::isCutShort(const QStyleOptionViewItem &option, const QModelIndex &index,
                                   const QWidget *view) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStyle *style = view->style();
    const QRect textArea = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return item.fontMetrics.horizontalAdvance(item.text) > textArea.width() - 2 * margin;
}
