#pragma once

#include "app/designwindow.h"
#include "canvas/designview.h"
#include "canvas/itemtypes.h"
#include "canvas/scene.h"
#include "document/node.h"
#include "document/svgview.h"

#include <QApplication>
#include <QFile>
#include <QGraphicsItem>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// A design shown in a real window: the design view over the façade, the
// document loaded from a real file and walked. The view is zoomed to exactly
// 0.5 so that pixel steps are whole design units.
class CanvasFixture
{
public:
    explicit CanvasFixture(const QString &body)
    {
        const QString path = dir.path() + QStringLiteral("/design.svg");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
            file.write(QStringLiteral(
                           "<svg xmlns='http://www.w3.org/2000/svg' xmlns:lumacraft='x' width='1875' "
                           "height='1875'><g id='layer'>%1</g></svg>")
                           .arg(body)
                           .toUtf8());
        }
        file.close();
        window = std::make_unique<DesignWindow>();
        window->resize(900, 700);
        window->show();
        warnUnless(QTest::qWaitForWindowExposed(window.get()));
        warnUnless(window->openDesign(path));
        DesignView *designView = window->designView();
        designView->setScrollAllowed(true);
        designView->setTransform(QTransform::fromScale(0.5, 0.5));
        designView->centerOn(400, 300);
        designView->setScrollAllowed(false);
    }

    SVGView *view() const { return window->svgView(); }
    Scene *scene() const { return view()->getScene(); }
    QWidget *viewport() const { return window->designView()->viewport(); }

    Node *node(const QString &id) const
    {
        const QList<QGraphicsItem *> items = scene()->items();
        for (QGraphicsItem *item : items) {
            Node *n = itemNode(item);
            if (n && n->domElem().attribute(QStringLiteral("id")) == id)
                return n;
        }
        return nullptr;
    }
    QGraphicsItem *item(const QString &id) const
    {
        Node *n = node(id);
        return n ? n->item() : nullptr;
    }
    QString attribute(const QString &id, const QString &name) const
    {
        Node *n = node(id);
        return n ? n->domElem().attribute(name) : QStringLiteral("<no node>");
    }
    // Element children of the drawing layer.
    QList<QDomElement> layerElements() const
    {
        QList<QDomElement> out;
        Node *layer = view()->drawingLayer();
        if (!layer)
            return out;
        for (QDomElement e = layer->domElem().firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            out.append(e);
        return out;
    }

    // The canvas item of an element of the drawing layer.
    QGraphicsItem *layerItemFor(const QDomElement &element) const
    {
        const QList<QGraphicsItem *> items = scene()->items();
        for (QGraphicsItem *item : items) {
            Node *n = itemNode(item);
            if (n && n->domElem() == element)
                return item;
        }
        return nullptr;
    }

    QPoint at(const QPointF &scenePoint) const { return window->designView()->mapFromScene(scenePoint); }

    void send(QEvent::Type type, const QPointF &scenePoint, Qt::MouseButton button, Qt::MouseButtons buttons,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        const QPoint pos = at(scenePoint);
        QMouseEvent event(type, pos, viewport()->mapToGlobal(pos), button, buttons, modifiers);
        QApplication::sendEvent(viewport(), &event);
    }
    void press(const QPointF &p, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        send(QEvent::MouseButtonPress, p, button, button, modifiers);
    }
    void move(const QPointF &p, Qt::MouseButtons buttons = Qt::LeftButton,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        send(QEvent::MouseMove, p, Qt::NoButton, buttons, modifiers);
    }
    void release(const QPointF &p, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        send(QEvent::MouseButtonRelease, p, button, Qt::NoButton, modifiers);
    }
    void click(const QPointF &p, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        press(p, Qt::LeftButton, modifiers);
        release(p, Qt::LeftButton, modifiers);
    }
    void drag(const QPointF &from, const QPointF &to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        press(from, Qt::LeftButton, modifiers);
        move((from + to) / 2, Qt::LeftButton, modifiers);
        move(to, Qt::LeftButton, modifiers);
        release(to, Qt::LeftButton, modifiers);
    }

    QTemporaryDir dir;
    std::unique_ptr<DesignWindow> window;

private:
    // QVERIFY returns from the enclosing function; a constructor must not.
    static void warnUnless(bool ok)
    {
        if (!ok)
            qWarning("canvas fixture set-up failed");
    }
};
