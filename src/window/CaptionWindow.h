// The caption window, the base of every window of the program. A double-click on the
// caption's icon closes the window while the close button is shown; dragging the caption
// moves the window and a double-click maximises or restores it. The shown caption buttons
// close up to the right.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QLabel;
class QToolButton;
class QVBoxLayout;

// A frameless top-level window that draws its own caption bar: an icon, the caption text
// and minimise / maximise / close buttons. The bar moves the window when dragged and
// toggles the maximised state when double-clicked; the edges resize the window. Every
// window of the program derives from it and lays out its controls in contentArea().
class CaptionWindow : public QWidget
{
    Q_OBJECT

public:
    // The caption bar's controls; each carries its field name as its object name.
    struct CaptionControls
    {
        QWidget *captionBar = nullptr;
        QLabel *captionIcon = nullptr;
        QLabel *captionLabel = nullptr;
        QWidget *captionButtons = nullptr;
        QToolButton *minimiseButton = nullptr;
        QToolButton *maximiseButton = nullptr;
        QToolButton *closeButton = nullptr;
    };
    const CaptionControls &captionControls() const { return m_caption; }

    static constexpr int CaptionHeight = 25;
    static constexpr int CaptionButtonsWidth = 65;
    static constexpr int CaptionButtonSize = 21;
    static constexpr int ResizeBorder = 3;

    // `owner` becomes the window's parent (the window stays a top-level window).
    explicit CaptionWindow(QWidget *owner = nullptr);

    QWidget *contentArea() const { return m_content; }

    void setCaptionText(const QString &text);
    QString captionText() const;

    void setMinimiseButtonVisible(bool visible);
    void setMaximiseButtonVisible(bool visible);
    void setCloseButtonVisible(bool visible);
    void arrangeCaptionButtons();

    void setAlpha(quint8 value);
    quint8 alphaValue() const { return m_alphaValue; }
    bool maximizedByButton() const { return m_maximized; }

    // The main window's minimise button minimises the whole application.
    void setApplicationMainWindow(bool isMain) { m_isApplicationMainWindow = isMain; }
    bool isApplicationMainWindow() const { return m_isApplicationMainWindow; }

    // Window placement: ((screen − window − 10) / 2, (screen − window − 110) / 2),
    // truncating toward zero.
    static QPoint centredPosition(const QSize &screen, const QSize &window);
    void centreOnScreen();
    // The set-up every window performs when it is created: centring, hint times, the
    // three caption buttons shown, the caption colour and the 13-point bold caption.
    void standardSetup();

    // Shows the window application-modal, above its owner and with the keyboard, and
    // returns at once; closed() tells the end. When it closes the keyboard goes back.
    void openModal();
    // Shows the window application-modal and returns when it has closed.
    void execModal();

    // The picture at the left of the caption bar.
    QPixmap iconPicture() const;
    // Whether the minimise, maximise and close buttons take clicks.
    void setCaptionButtonsEnabled(bool enabled);

public Q_SLOTS:
    void minimiseClicked();
    void maximiseClicked();
    void closeClicked();
    void iconClicked();

Q_SIGNALS:
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    CaptionControls m_caption;

    void buildCaptionBar();
    void placeAboveOwner();
    void maximise();
    void restore();
    // The window's real state (the maximise button keeps its own record in m_maximized).
    bool isMaximisedNow() const;
    void returnFocusAfterModal();
    static QWidget *applicationMainWindow();
    QToolButton *makeCaptionButton(const QString &iconPath, void (CaptionWindow::*handler)());
    void captionMousePressed(QMouseEvent *event);
    Qt::Edges edgesAt(const QPoint &pos) const;

    QWidget *m_content = nullptr;
    QVBoxLayout *m_layout = nullptr;
    bool m_maximized = false;
    quint8 m_alphaValue = 0;
    bool m_isApplicationMainWindow = false;
    bool m_openedModal = false;
    // Whether a window of the program had the keyboard when this one opened modal.
    bool m_programHadKeyboard = true;
    bool m_maximisedByGeometry = false;
    QRect m_geometryBeforeMaximise;

    // Fallback moving and sizing where the window system cannot do it.
    enum class Drag { None, Move, Resize } m_drag = Drag::None;
    Qt::Edges m_dragEdges;
    QPoint m_dragStartGlobal;
    QRect m_dragStartGeometry;
};
