#include "main/TreeLabelDelegate.h"

#include <QMetaProperty>

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
