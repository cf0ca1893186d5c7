#include "canvas/domtreeview.h"

#include "document/svgdocument.h"
#include "document/svgview.h"

DomTreeView::DomTreeView(MainWindow *window, QSize size)
    : QTreeView(nullptr), preferredSize(size), mainWindow(window)
{
    setIndentation(10);
    connect(this, &QTreeView::clicked, this, &DomTreeView::nodeClicked);
}

void DomTreeView::setView(SVGView *view)
{
    if (!view)
        return;
    svgView = view;
    if (model() != view->model())
        setModel(view->model());
    setRootIsDecorated(true);
}

QSize DomTreeView::sizeHint() const
{
    return preferredSize;
}

void DomTreeView::expandAll()
{
    auto *document = qobject_cast<SVGDocument *>(model());
    if (document)
        document->buildAllNodes();
}

void DomTreeView::nodeClicked(const QModelIndex &)
{
}
