#pragma once

#include <QMainWindow>
#include <QString>

#include <memory>

class DesignView;
class DomTreeView;
class SVGView;

// The window that shows the design until the full main window takes over:
// the design view over the document façade, with the hidden tree view that
// walks every new or loaded document.
class DesignWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit DesignWindow(QWidget *parent = nullptr);
    ~DesignWindow() override;

    // Loads the design file; on failure tells the user and keeps a new document.
    bool openDesign(const QString &path);
    // Replaces the document by a new one.
    void newDesign();
    // Zooms so that the work area fits; call once the window is shown.
    void fitToWindow();

    SVGView *svgView() const { return view.get(); }
    DesignView *designView() const { return canvasView; }
    DomTreeView *domTreeView() const { return treeView.get(); }

private:
    void walkDocument();

    std::unique_ptr<SVGView> view;
    std::unique_ptr<DomTreeView> treeView;
    DesignView *canvasView = nullptr;
};
