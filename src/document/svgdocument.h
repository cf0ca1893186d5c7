#pragma once

#include <QAbstractItemModel>
#include <QDomDocument>
#include <QString>

class Node;
class QGraphicsScene;
class SVGElement;
class SVGView;

// Template of a new design: %1 the code name, %2 the document version.
extern const char NewDocumentTemplate[];
// The template filled with SW_CODENAME and SW_VERSION.
QString newDocumentContent();

// Item model over the design's DOM. Nodes (and with them the canvas items) are
// built lazily, when a client asks for an index; buildAllNodes() builds them all.
// The node tree owns the canvas items: replace the content (or destroy the model)
// rather than clearing the scene.
class SVGDocument : public QAbstractItemModel
{
    Q_OBJECT
public:
    SVGDocument(const QString &content, SVGView *view, QGraphicsScene *scene = nullptr,
                QObject *parent = nullptr);
    ~SVGDocument() override;

    // Replaces the document and the whole node tree. False when the text does
    // not parse (the document is then empty) or its root is not "svg".
    bool setContent(const QString &content);
    // Replaces the document and the whole node tree by an already parsed
    // document (shared, not copied). False when its root is not "svg" (or it is empty).
    bool setDocument(const QDomDocument &document);
    // The root's "svg" node, or null with a diagnostic line.
    SVGElement *svgElem() const;

    QDomDocument domDocument() const { return m_document; }
    // The design as saved: the DOM with an indentation of two.
    QString toText() const;
    Node *rootNode() const { return m_root; }
    SVGView *view() const { return m_view; }
    QGraphicsScene *scene() const { return m_scene; }
    void setScene(QGraphicsScene *scene) { m_scene = scene; }

    // Visits every index, as a fully expanded tree view does: builds every node.
    void buildAllNodes();
    Node *nodeFromIndex(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void deleteNodes();
    // Says why when the document element is not "svg".
    bool rootIsSvg() const;

    QDomDocument m_document;
    Node *m_root = nullptr;
    SVGView *m_view = nullptr;
    QGraphicsScene *m_scene = nullptr;
};
