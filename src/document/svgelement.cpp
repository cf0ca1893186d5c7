#include "svgelement.h"

#include "svgdocument.h"
#include "svgvalues.h"

#include <QDebug>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QPen>

// The outer rectangle tells its node when the scene deletes it (scene cleared
// or destroyed), so the nodes never touch items that are gone.
class SVGElement::CanvasRootItem : public QGraphicsRectItem
{
public:
    explicit CanvasRootItem(SVGElement *owner, const QRectF &rect)
        : QGraphicsRectItem(rect), m_owner(owner)
    {
    }
    ~CanvasRootItem() override
    {
        if (m_owner)
            m_owner->canvasDestroyedElsewhere();
    }
    void release() { m_owner = nullptr; }

private:
    SVGElement *m_owner;
};

namespace {
// Width and height of the root: the digits and dots of the value; missing
// values are taken as a percentage of the canvas (negative), 100 % by default.
double readCanvasLength(const QDomElement &element, const QString &name)
{
    if (element.hasAttribute(name)) {
        QString digits;
        for (const QChar c : element.attribute(name)) {
            if (c.isDigit() || c == QLatin1Char('.'))
                digits.append(c);
        }
        return digits.toDouble();
    }
    bool ok = false;
    const double percentage = getPercentageTrait(element, name, &ok);
    return ok ? -percentage : -100;
}
} // namespace

SVGElement::SVGElement(const QDomElement &element, int row, SVGView *view, Node *parent)
    : Node(element, row, view, NodeType::Svg, parent)
{
    m_width = readCanvasLength(element, QStringLiteral("width"));
    m_height = readCanvasLength(element, QStringLiteral("height"));

    bool listOk = false;
    const QStringList box = getListTrait(element, QStringLiteral("viewBox"), &listOk);
    if (listOk && box.size() == 4) {
        double v[4];
        bool all = true;
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            v[i] = box.at(i).toDouble(&ok);
            all = all && ok;
        }
        if (all && v[2] > 0 && v[3] > 0) {
            m_viewBox = QRectF(v[0], v[1], v[2], v[3]);
            m_aspectMode = getAspectRatio(element);
        }
    }

    const QRectF canvas(0, 0, m_width, m_height);
    m_outer = new CanvasRootItem(this, canvas);
    m_outer->setPen(QPen(Qt::transparent));
    m_outer->setData(0, QVariant::fromValue(static_cast<Node *>(this)));
    m_outer->setZValue(0);
    m_inner = new QGraphicsRectItem(canvas, m_outer);
    m_inner->setPen(QPen(Qt::transparent));
    m_inner->setBrush(Qt::transparent);
    m_inner->setZValue(0);
    setItem(m_inner);
    if (QGraphicsScene *scene = model() ? model()->scene() : nullptr) {
        scene->setSceneRect(canvas);
        scene->addItem(m_outer);
    }
}

SVGElement::~SVGElement()
{
    // Child items hang under the inner rectangle: delete their nodes first.
    deleteChildNodes();
    if (m_outer) {
        m_outer->release();
        delete m_outer; // deletes the inner rectangle too
    }
    m_outer = nullptr;
    m_inner = nullptr;
    setItem(nullptr);
}

void SVGElement::setCanvas(double width, double height)
{
    const QRectF canvas(0, 0, width, height);
    if (m_outer)
        m_outer->setRect(canvas);
    if (m_inner)
        m_inner->setRect(canvas);
}

void SVGElement::canvasDestroyedElsewhere()
{
    forgetCanvasItems();
    m_outer = nullptr;
    m_inner = nullptr;
}

QGraphicsRectItem *SVGElement::outerRect() const
{
    return m_outer;
}
