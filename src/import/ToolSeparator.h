#pragma once

#include <QWidget>

// A separator of a fixed width between groups of tool buttons, drawn as the style draws
// tool bar separators.
class ToolSeparator : public QWidget
{
    Q_OBJECT

public:
    explicit ToolSeparator(int width, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
