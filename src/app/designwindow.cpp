#include "app/designwindow.h"

#include "app/itemdefaults.h"

#include "canvas/designview.h"
#include "canvas/domtreeview.h"
#include "canvas/scene.h"
#include "common/settingsindex.h"
#include "document/svgview.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QSettings>

DesignWindow::DesignWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Scribo"));
    view = std::make_unique<SVGView>(nullptr);

    // The work area the device panel keeps, in millimetres.
    QSettings settings(QString::fromLatin1(SettingsIndex::Organisation),
                       QString::fromLatin1(SettingsIndex::Application));
    settings.beginGroup(QStringLiteral("lowerOperatePanel"));
    const double widthMm = settings.value(QStringLiteral("workWidthSave"), 150).toDouble();
    const double heightMm = settings.value(QStringLiteral("workHeightSave"), 150).toDouble();
    settings.endGroup();
    // Elements without their own print parameters get the item panel's.
    view->getScene()->defaultParameters = itemPanelDefaults(&settings);
    if (widthMm > 0 && heightMm > 0)
        view->setSvgSceneBound(widthMm * 12.5, heightMm * 12.5);
    else
        view->setSvgSceneBound(SVGView::DefaultSceneSide, SVGView::DefaultSceneSide);

    canvasView = new DesignView(this);
    canvasView->setScene(view->getScene());
    canvasView->initDesignView(view.get());
    view->addDesignView(canvasView);
    setCentralWidget(canvasView);

    treeView = std::make_unique<DomTreeView>(nullptr, QSize(256, 256));
    walkDocument();
}

DesignWindow::~DesignWindow()
{
    // The design view shows the façade's scene: it goes first.
    delete canvasView;
    canvasView = nullptr;
    treeView.reset();
    view.reset();
}

void DesignWindow::walkDocument()
{
    treeView->setView(view.get());
    treeView->expandAll();
}

bool DesignWindow::openDesign(const QString &path)
{
    if (view->load(path)) {
        walkDocument();
        return true;
    }
    QMessageBox::warning(this, QCoreApplication::translate("MainWindow", "错误"),
                         QCoreApplication::translate("MainWindow", "打开文件失败") + QStringLiteral("\n") + path);
    newDesign();
    return false;
}

void DesignWindow::newDesign()
{
    view->newFile();
    walkDocument();
}

void DesignWindow::fitToWindow()
{
    view->setSvgViewScale();
}
