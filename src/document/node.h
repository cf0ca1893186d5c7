#pragma once

#include "nativeattributes.h"

#include <QBrush>
#include <QDomDocument>
#include <QDomElement>
#include <QFont>
#include <QDomNodeList>
#include <QHash>
#include <QList>
#include <QMap>
#include <QMetaType>
#include <QPen>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class QGraphicsItem;
class SVGDocument;
class SVGView;

// What kind of element a node wraps; the values are stable and used by callers.
enum class NodeType : int {
    Other = 0,
    Svg = 1,
    G = 2,
    Rect = 3,
    Circle = 4,
    Ellipse = 5,
    Line = 6,
    Polyline = 7,
    Polygon = 8,
    Path = 9,
    Text = 10, // "text" and "tspan"
    A = 11,
    Image = 12,
    LinearGradient = 13,
    RadialGradient = 14,
    Stop = 15,
    Defs = 16,
};

// The node type for a tag name (exact, case-sensitive); Other for unknown tags.
NodeType nodeTypeForTag(const QString &tagName);

// One element of the design's DOM, with its resolved style, its print
// parameters and the canvas item that shows it. Nodes are built lazily by the
// item model (SVGDocument) and own their child nodes and their canvas item;
// the item carries the node pointer in its data slot 0.
class Node
{
public:
    // The document root (no element); creates the node of the document element as child 0.
    Node(const QDomDocument &document, int row, SVGView *view, NodeType type, Node *parent,
         SVGDocument *model = nullptr);
    // One element; copies every attribute of the element into attributeMap().
    Node(const QDomElement &element, int row, SVGView *view, NodeType type, Node *parent);
    virtual ~Node();

    Node(const Node &) = delete;
    Node &operator=(const Node &) = delete;

    // Factory choosing the class by tag name; builds the canvas item of the element.
    static Node *createNode(const QDomElement &element, int row, SVGView *view, Node *parent);
    // The root node of a document.
    static Node *createNode(const QDomDocument &document, int row, SVGView *view, Node *parent,
                            SVGDocument *model = nullptr);

    // Tree. child() builds the node of DOM child `row` on first use; text and
    // comment children (and rows out of range) give null.
    Node *child(int row);
    Node *parent() const { return m_parentNode; }
    int row() const { return m_row; }
    QDomElement domElem() const { return m_element; }
    NodeType nodeType() const { return m_nodeType; }
    SVGView *view() const { return m_view; }
    SVGDocument *model() const { return m_model; }
    // Number of DOM child nodes of the element (text nodes counted), or 1 for the root.
    int domChildCount() const;
    const QHash<int, Node *> &childNodes() const { return m_childNodes; }
    // Releases ownership of a child node without deleting it (for removal with undo).
    bool takeChildNode(Node *child);
    // Takes ownership of a node whose element is (again) a DOM child of this element.
    void adoptChildNode(Node *child);
    // Says that child elements were taken out or put back directly in the DOM:
    // the rows of the existing child nodes are looked up again on next use.
    // Code that inserts or removes child elements in the middle of an element
    // must call it as well.
    void markChildRowsStale()
    {
        m_rowKeysStale = true;
        m_domChildrenTaken = false;
    }

    // New elements under this node's element; the node is built and returned.
    Node *addNewChildNode(const QString &tag, SVGView *view, const QStringList &names,
                          const QStringList &values);
    Node *pasteNewTextChildNode(const QString &tag, SVGView *view, const QStringList &names,
                                const QStringList &values, const QString &text);

    // Attribute writes: an empty value removes the attribute in setTrait; setTraits
    // stores empty values as empty attributes. Both keep attributeMap() in step.
    bool setTrait(const QString &name, const QString &value);
    void setTraits(const QStringList &names, const QStringList &values);

    // Canvas item. finishDecorating() is called by every builder once its item exists.
    QGraphicsItem *item() const { return m_item; }
    // Forgets, without deleting, this node's item and the items hanging under it
    // (for when the scene destroyed them).
    void forgetCanvasItems();
    void finishDecorating(QGraphicsItem *item);
    void getStyles();
    void setPraentRect();

    // Attributes at construction plus the "style" properties; the "style" properties alone.
    const QMap<QString, QString> &attributeMap() const { return m_attributeMap; }
    QMap<QString, QString> &attributeMap() { return m_attributeMap; }
    const QMap<QString, QString> &styleMap() const { return m_styleMap; }

    // Style resolution ("style" property, attribute, then the parent's value);
    // each getter caches its result in the node.
    double getFillOpacity();
    double getStrokeOpacity();
    double getStrokeWidth();
    Qt::PenCapStyle getStrokeLineCap();
    Qt::PenJoinStyle getStrokeLineJoin();
    double getFontSize();
    QString getFontFamily();
    QFont::Style getFontStyle();
    int getFontWeight();
    // Without an ok flag nothing is inherited: a missing value gives no brush / no pen.
    // opacity -1 (and width -1) mean the node's cached values.
    QBrush getFill(bool *ok = nullptr, double opacity = -1);
    QPen getStroke(bool *ok = nullptr, double opacity = -1, double width = -1);

    // Cached style values (as last written by the getters).
    double fillOpacity() const { return m_fillOpacity; }
    double strokeOpacity() const { return m_strokeOpacity; }
    double strokeWidth() const { return m_strokeWidth; }
    Qt::PenCapStyle strokeLineCap() const { return m_lineCap; }
    Qt::PenJoinStyle strokeLineJoin() const { return m_lineJoin; }

    // Print parameters, filled by the element builders.
    const PrintParameters &printParameters() const { return m_printParameters; }
    PrintParameters &printParameters() { return m_printParameters; }
    // Reads the parameters from the element, writing missing ones from `defaults`.
    void readPrintParameters(const DefaultParameters &defaults);

    // Per-line step of a text node (set by the text layout).
    double lineStep() const { return m_lineStep; }
    void setLineStep(double step) { m_lineStep = step; }

protected:
    // Deletes every owned child node (derived destructors that tear down items first call it).
    void deleteChildNodes();
    void setItem(QGraphicsItem *item) { m_item = item; }

private:
    void rebuildRowKeys();
    int domIndexOf(const QDomElement &element) const;
    Node *addElementNode(QDomElement element, SVGView *view);

    NodeType m_nodeType = NodeType::Other;
    QDomElement m_element;
    QDomDocument m_document; // root node only
    int m_row = 0;
    Node *m_parentNode = nullptr;
    QHash<int, Node *> m_childNodes;
    QList<Node *> m_strayChildNodes; // owned nodes whose element left this element
    mutable bool m_rowKeysStale = false;
    // The element's child nodes, taken once: a live QDomNodeList is rebuilt
    // after every change anywhere in the document (attributes included), which
    // made walking a large design quadratic. Retaken when marked stale or when
    // its ends no longer match the element's.
    mutable QVector<QDomNode> m_domChildren;
    mutable bool m_domChildrenTaken = false;
    const QVector<QDomNode> &domChildren() const;
    bool takenChildStillAt(int row) const;
    SVGView *m_view = nullptr;
    SVGDocument *m_model = nullptr;
    QGraphicsItem *m_item = nullptr;
    QMap<QString, QString> m_attributeMap;
    QMap<QString, QString> m_styleMap;

    double m_fillOpacity = 1;
    double m_strokeOpacity = 1;
    double m_strokeWidth = 1;
    Qt::PenCapStyle m_lineCap = Qt::FlatCap;
    Qt::PenJoinStyle m_lineJoin = Qt::SvgMiterJoin;
    double m_fontSize = 0;
    QString m_fontFamily;
    QFont::Style m_fontStyle = QFont::StyleNormal;
    int m_fontWeight = QFont::Normal;

    PrintParameters m_printParameters;
    double m_lineStep = 0;
};

Q_DECLARE_METATYPE(Node *)
