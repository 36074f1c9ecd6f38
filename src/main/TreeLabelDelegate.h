#pragma once

#include <QHash>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <optional>

// Edits a tree label in place without writing it into the tree. Once the editor is gone,
// it says whether the user confirmed a text (Enter, or leaving the editor) or cancelled
// (Esc); the window then decides what the label becomes, so that the tree shows only
// what the database took. A label cut short to fit shows whole as the node's hint.
class TreeLabelDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TreeLabelDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    // True while an editor of a label exists.
    bool isEditing() const { return !m_edits.isEmpty(); }

Q_SIGNALS:
    void labelConfirmed(const QPersistentModelIndex &index, const QString &text);
    void editCancelled(const QPersistentModelIndex &index);

private:
    struct Edit
    {
        QPersistentModelIndex index;
        std::optional<QString> confirmed;
    };

    void editorGone(QObject *editor);
    bool isCutShort(const QStyleOptionViewItem &option, const QModelIndex &index, const QWidget *view) const;

    // The edits whose editor still exists, by editor.
    mutable QHash<const QObject *, Edit> m_edits;
};
