#include "svgdocument.h"

#include "common/appversion.h"
#include "nativeattributes.h"
#include "node.h"
#include "svgdomparse.h"
#include "svgelement.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGraphicsScene>

#include <vector>

// The group holds the two characters "/n" as text, and "height" runs into
// "version" without a blank: documents made from it have always looked so.
const char NewDocumentTemplate[] =
    "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'\n"
    " xmlns:lumacraft='%3'\n"
    " width='2000' height='2700'version='1.2' baseProfile='tiny'>\n"
    "<g lumacraft:label='label 1'>/n</g>  <!-- Created with Scribo %1 (%2) -->\n"
    "</svg>";

QString newDocumentContent()
{
    return QString::fromLatin1(NewDocumentTemplate)
        .arg(QLatin1String(SW_CODENAME), QLatin1String(SW_VERSION), QLatin1String(LumacraftNamespaceUri));
}

SVGDocument::SVGDocument(const QString &content, SVGView *view, QGraphicsScene *scene, QObject *parent)
    : QAbstractItemModel(parent), m_view(view), m_scene(scene)
{
    setContent(content);
}

SVGDocument::~SVGDocument()
{
    deleteNodes();
}

void SVGDocument::deleteNodes()
{
    // Items added to the scene wait in a list until the scene polishes them
    // from the event loop, and each item leaving the scene is searched for in
    // that list: removing a large design before the loop has run would take
    // time quadratic in its size. Let the scene polish its items first.
    if (m_scene && m_root)
        QCoreApplication::sendPostedEvents(m_scene, QEvent::MetaCall);
    delete m_root;
    m_root = nullptr;
}

bool SVGDocument::setContent(const QString &content)
{
    beginResetModel();
    deleteNodes();
    QString error;
    const bool parsed = parseSvgDocument(content, &m_document, &error);
    if (!parsed)
        qWarning().noquote() << "SVG document not read:" << error;
    m_root = Node::createNode(m_document, 0, m_view, nullptr, this);
    endResetModel();
    return parsed && rootIsSvg();
}

bool SVGDocument::setDocument(const QDomDocument &document)
{
    beginResetModel();
    deleteNodes();
    m_document = document;
    m_root = Node::createNode(m_document, 0, m_view, nullptr, this);
    endResetModel();
    return rootIsSvg();
}

bool SVGDocument::rootIsSvg() const
{
    const QString tag = m_document.documentElement().tagName();
    if (tag == QLatin1String("svg"))
        return true;
    qWarning().noquote() << "SVG document not read: the root element is" << tag << "instead of svg";
    return false;
}

SVGElement *SVGDocument::svgElem() const
{
    if (!m_root || m_root->childNodes().size() != 1) {
        qDebug() << "Error!  Doc root did not have one child!";
        return nullptr;
    }
    Node *child = m_root->childNodes().value(0, nullptr);
    if (!child || child->nodeType() != NodeType::Svg) {
        qDebug() << "Error!  Root of document was not of type <svg>";
        return nullptr;
    }
    auto *svg = dynamic_cast<SVGElement *>(child);
    if (!svg)
        qDebug() << "Could not find the <svg> node";
    return svg;
}

QString SVGDocument::toText() const
{
    return m_document.toString(2);
}

void SVGDocument::buildAllNodes()
{
    // Iterative: a walk must not depend on the nesting depth for its stack.
    std::vector<QModelIndex> pending{QModelIndex()};
    while (!pending.empty()) {
        const QModelIndex parentIndex = pending.back();
        pending.pop_back();
        const int rows = rowCount(parentIndex);
        for (int row = rows - 1; row >= 0; --row) {
            const QModelIndex child = index(row, 0, parentIndex);
            if (child.isValid())
                pending.push_back(child);
        }
    }
}

Node *SVGDocument::nodeFromIndex(const QModelIndex &index) const
{
    if (!index.isValid())
        return m_root;
    return static_cast<Node *>(index.internalPointer());
}

QModelIndex SVGDocument::index(int row, int column, const QModelIndex &parent) const
{
    if (column < 0 || column >= 2 || row < 0 || !m_root)
        return QModelIndex();
    Node *parentNode = nodeFromIndex(parent);
    Node *child = parentNode ? parentNode->child(row) : nullptr;
    if (!child)
        return QModelIndex();
    return createIndex(row, column, child);
}

QModelIndex SVGDocument::parent(const QModelIndex &index) const
{
    if (!index.isValid())
        return QModelIndex();
    Node *node = static_cast<Node *>(index.internalPointer());
    Node *parentNode = node ? node->parent() : nullptr;
    if (!parentNode || parentNode == m_root)
        return QModelIndex();
    return createIndex(parentNode->row(), 0, parentNode);
}

int SVGDocument::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0 || !m_root)
        return 0;
    if (!parent.isValid())
        return m_root->domChildCount();
    const Node *node = static_cast<Node *>(parent.internalPointer());
    return node ? node->domChildCount() : 0;
}

int SVGDocument::columnCount(const QModelIndex &) const
{
    return 2;
}

QVariant SVGDocument::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    const Node *node = static_cast<Node *>(index.internalPointer());
    const QDomElement element = node->domElem();
    if (index.column() == 0)
        return element.tagName();
    return element.attribute(QStringLiteral("id"));
}

QVariant SVGDocument::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    if (section == 0)
        return tr("Element");
    if (section == 1)
        return tr("id");
    return QVariant();
}

Qt::ItemFlags SVGDocument::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
