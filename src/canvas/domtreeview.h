#pragma once

#include <QSize>
#include <QTreeView>

class MainWindow;
class QModelIndex;
class SVGView;

// A tree view over the document's item model that is never shown. The node
// tree and every canvas item come into being only when the model is asked for
// each index; expandAll() is that walk.
class DomTreeView : public QTreeView
{
    Q_OBJECT
public:
    DomTreeView(MainWindow *window, QSize size);

    // Shows the façade's model; null is ignored.
    void setView(SVGView *view);
    SVGView *getView() const { return svgView; }
    QSize sizeHint() const override;

public slots:
    // Visits every element of the document, parents before children in
    // document order, so that each gets its node and canvas item. Unlike the
    // tree view's own expansion it lays out no rows (the view is never shown)
    // and does not recurse, so neither size nor depth of the document matters.
    void expandAll();
    void nodeClicked(const QModelIndex &index);

private:
    QSize preferredSize;
    MainWindow *mainWindow;
    SVGView *svgView = nullptr;
};
