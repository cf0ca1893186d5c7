#include "gcode/pathorder.h"

#include "gcode/pathgeometry.h"

#include <QDebug>
#include <QPointF>
#include <QSet>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace {

struct Endpoints
{
    QPointF start;
    QPointF end;
};

struct Pick
{
    int index;
    bool reversed;
};

// The first outline: the running corner starts far away and takes every start
// point that is further left OR further down than the corner so far (a later
// point may win on one axis alone). The outline whose start matches the final
// corner is taken; when none qualifies, the first outline.
int startCornerIndex(const std::vector<Endpoints> &points)
{
    QPointF corner(1000000.0, 1000000.0);
    for (const Endpoints &p : points) {
        if (p.start.x() < corner.x() || p.start.y() < corner.y())
            corner = p.start;
    }
    for (int i = 0; i < int(points.size()); ++i) {
        if (points[i].start == corner) // Qt's fuzzy point equality
            return i;
    }
    return 0;
}

// Nearest-neighbour ordering over start (and, when reversal is allowed, end)
// points. Quadratic: every pick scans all remaining outlines. Removed entries
// are marked dead and the arrays are compacted once half of them are dead, so
// list order (which decides ties) is kept without a shift per pick.
class NearestOrder
{
public:
    NearestOrder(const std::vector<Endpoints> &points, std::int64_t initialBound,
                 bool allowReversal)
        : m_initialBound(initialBound)
        , m_allowReversal(allowReversal)
    {
        const std::size_t n = points.size();
        m_index.resize(n);
        m_sx.resize(n);
        m_sy.resize(n);
        m_ex.resize(n);
        m_ey.resize(n);
        m_alive.assign(n, 1);
        for (std::size_t i = 0; i < n; ++i) {
            m_index[i] = int(i);
            m_sx[i] = points[i].start.x();
            m_sy[i] = points[i].start.y();
            m_ex[i] = points[i].end.x();
            m_ey[i] = points[i].end.y();
        }
        m_live = n;
    }

    std::vector<Pick> run(int firstIndex)
    {
        std::vector<Pick> order;
        order.reserve(m_index.size());
        if (m_index.empty())
            return order;
        take(std::size_t(firstIndex), false, order);
        while (m_live > 0)
            pickNext(order);
        return order;
    }

private:
    void take(std::size_t slot, bool reversed, std::vector<Pick> &order)
    {
        order.push_back({m_index[slot], reversed});
        m_currentX = reversed ? m_sx[slot] : m_ex[slot];
        m_currentY = reversed ? m_sy[slot] : m_ey[slot];
        m_alive[slot] = 0;
        --m_live;
        if (m_live * 2 < m_index.size())
            compact();
    }

    void pickNext(std::vector<Pick> &order)
    {
        // The best distance so far is held as a whole number: a candidate wins
        // only when strictly below the truncated best. The squared test only
        // skips candidates that cannot win; the decision uses real distances.
        std::int64_t best = m_initialBound;
        double bestSquaredBound = squaredBound(best);
        std::size_t chosen = SIZE_MAX;
        bool chosenReversed = false;
        const std::size_t n = m_index.size();
        for (std::size_t k = 0; k < n; ++k) {
            if (!m_alive[k])
                continue;
            const double dsx = m_sx[k] - m_currentX;
            const double dsy = m_sy[k] - m_currentY;
            const double startSquared = dsx * dsx + dsy * dsy;
            double nearestSquared = startSquared;
            double endSquared = 0;
            if (m_allowReversal) {
                const double dex = m_ex[k] - m_currentX;
                const double dey = m_ey[k] - m_currentY;
                endSquared = dex * dex + dey * dey;
                if (endSquared <= startSquared)
                    nearestSquared = endSquared;
            }
            if (!(nearestSquared < bestSquaredBound))
                continue;
            const double startDistance = std::sqrt(startSquared);
            double distance = startDistance;
            bool reversed = false;
            if (m_allowReversal) {
                const double endDistance = std::sqrt(endSquared);
                if (endDistance <= startDistance) {
                    distance = endDistance;
                    reversed = true;
                }
            }
            if (distance < double(best)) {
                chosen = k;
                chosenReversed = reversed;
                best = std::int64_t(distance); // truncation toward zero
                bestSquaredBound = squaredBound(best);
            }
        }
        if (chosen == SIZE_MAX) {
            // Nothing below the bound (far away or undefined points): take the
            // first remaining outline as it is.
            chosen = firstAliveSlot();
            chosenReversed = false;
        }
        take(chosen, chosenReversed, order);
    }

    static double squaredBound(std::int64_t best)
    {
        // A little above best^2, so rounding never hides a winning candidate.
        const double b = double(best);
        return b * b * (1 + 1e-9) + 1e-9;
    }

    std::size_t firstAliveSlot() const
    {
        for (std::size_t k = 0; k < m_alive.size(); ++k) {
            if (m_alive[k])
                return k;
        }
        return 0;
    }

    void compact()
    {
        std::size_t out = 0;
        for (std::size_t k = 0; k < m_index.size(); ++k) {
            if (!m_alive[k])
                continue;
            m_index[out] = m_index[k];
            m_sx[out] = m_sx[k];
            m_sy[out] = m_sy[k];
            m_ex[out] = m_ex[k];
            m_ey[out] = m_ey[k];
            m_alive[out] = 1;
            ++out;
        }
        m_index.resize(out);
        m_sx.resize(out);
        m_sy.resize(out);
        m_ex.resize(out);
        m_ey.resize(out);
        m_alive.resize(out);
    }

    const std::int64_t m_initialBound;
    const bool m_allowReversal;
    std::vector<int> m_index;
    std::vector<double> m_sx, m_sy, m_ex, m_ey;
    std::vector<char> m_alive;
    std::size_t m_live = 0;
    double m_currentX = 0;
    double m_currentY = 0;
};

std::vector<Endpoints> endpointsOf(const QList<QPainterPath> &paths)
{
    std::vector<Endpoints> points;
    points.reserve(std::size_t(paths.size()));
    for (const QPainterPath &path : paths)
        points.push_back({pathStartPoint(path), pathEndPoint(path)});
    return points;
}

// Null entries and second occurrences of a node cannot be ordered (a node
// holds one position and one direction); they are left out.
QList<PathTreeNode *> usableNodes(const QList<PathTreeNode *> &nodes, const char *function)
{
    QSet<const PathTreeNode *> seen;
    seen.reserve(nodes.size());
    QList<PathTreeNode *> kept;
    kept.reserve(nodes.size());
    for (PathTreeNode *node : nodes) {
        if (node && !seen.contains(node)) {
            seen.insert(node);
            kept.append(node);
        }
    }
    if (kept.size() != nodes.size())
        qWarning("%s: ignoring %d null or repeated outline node(s)", function,
                 nodes.size() - kept.size());
    return kept;
}

QList<PathTreeNode *> orderTreeLevel(const QList<PathTreeNode *> &nodes)
{
    if (nodes.size() <= 1)
        return nodes;
    std::vector<Endpoints> points;
    points.reserve(std::size_t(nodes.size()));
    for (const PathTreeNode *node : nodes)
        points.push_back({pathStartPoint(node->path), pathEndPoint(node->path)});

    NearestOrder order(points, 100000000, true);
    QList<PathTreeNode *> result;
    result.reserve(nodes.size());
    for (const Pick &pick : order.run(startCornerIndex(points))) {
        PathTreeNode *node = nodes.at(pick.index);
        if (pick.reversed) {
            // An empty path has nothing to cut; its equal ends always make it
            // a reversed pick, which is where it leaves the job.
            if (node->path.elementCount() == 0)
                continue;
            node->path = reversePath(node->path);
        }
        result.append(node);
    }
    return result;
}

// ---- containment --------------------------------------------------------

// What the containment test needs to know of one outline, computed once.
struct OutlineBounds
{
    // Box of every element: the outline (and what it encloses) lies in it.
    double hullLeft, hullTop, hullRight, hullBottom;
    // Box of the points the outline passes through (not curve control
    // points): any outline lying inside another has these points inside it.
    double anchorLeft, anchorTop, anchorRight, anchorBottom;
    bool finite;
};

OutlineBounds boundsOf(const QPainterPath &path)
{
    OutlineBounds b{};
    b.finite = true;
    bool firstHull = true;
    bool firstAnchor = true;
    const int count = path.elementCount();
    QPainterPath::ElementType previousType = QPainterPath::MoveToElement;
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        // A curve-to element is the first control point and the data element
        // right after it the second; the next data element is the curve's
        // end point, which lies on the path.
        const bool onPath = e.type != QPainterPath::CurveToElement
            && !(e.type == QPainterPath::CurveToDataElement
                 && previousType == QPainterPath::CurveToElement);
        previousType = e.type;
        if (!std::isfinite(e.x) || !std::isfinite(e.y)) {
            b.finite = false;
            continue;
        }
        if (firstHull) {
            b.hullLeft = b.hullRight = e.x;
            b.hullTop = b.hullBottom = e.y;
            firstHull = false;
        } else {
            b.hullLeft = std::min(b.hullLeft, e.x);
            b.hullRight = std::max(b.hullRight, e.x);
            b.hullTop = std::min(b.hullTop, e.y);
            b.hullBottom = std::max(b.hullBottom, e.y);
        }
        if (!onPath)
            continue;
        if (firstAnchor) {
            b.anchorLeft = b.anchorRight = e.x;
            b.anchorTop = b.anchorBottom = e.y;
            firstAnchor = false;
        } else {
            b.anchorLeft = std::min(b.anchorLeft, e.x);
            b.anchorRight = std::max(b.anchorRight, e.x);
            b.anchorTop = std::min(b.anchorTop, e.y);
            b.anchorBottom = std::max(b.anchorBottom, e.y);
        }
    }
    if (count == 0 || firstAnchor)
        b.finite = false; // nothing to contain or be contained
    return b;
}

class ContainmentTree
{
public:
    ContainmentTree(const QList<PathTreeNode *> &nodes, ContainmentCheck check)
        : m_nodes(nodes)
        , m_check(check)
    {
        m_bounds.reserve(std::size_t(nodes.size()));
        for (const PathTreeNode *node : nodes)
            m_bounds.push_back(boundsOf(node->path));
    }

    QList<PathTreeNode *> build()
    {
        // Each level is ordered on its own; a level's inner lists are queued
        // instead of recursed into, so deep nesting cannot exhaust the stack.
        std::deque<Level> pending;
        std::vector<int> all(std::size_t(m_nodes.size()));
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = int(i);
        pending.push_back({-1, std::move(all)});

        QList<PathTreeNode *> top;
        while (!pending.empty()) {
            Level level = std::move(pending.front());
            pending.pop_front();
            const std::vector<int> &work = level.members;
            const std::vector<char> taken = takeContainedOutlines(work, pending);
            QList<PathTreeNode *> members;
            members.reserve(int(work.size()));
            for (std::size_t position = 0; position < work.size(); ++position) {
                if (!taken[position])
                    members.append(m_nodes.at(work[position]));
            }
            QList<PathTreeNode *> ordered = orderTreeLevel(members);
            if (level.owner < 0)
                top = ordered;
            else
                m_nodes.at(level.owner)->children = ordered;
        }
        return top;
    }

private:
    struct Level
    {
        int owner; // -1: the top level
        std::vector<int> members;
    };

    // One level: every outline, in list order, takes from the level all the
    // outlines it contains (scanning the whole remaining level, in order);
    // those are queued as the outline's own level. Returns, per position,
    // whether that outline was taken. An outline taken by a later one keeps
    // what it took itself.
    std::vector<char> takeContainedOutlines(const std::vector<int> &work,
                                            std::deque<Level> &pending) const
    {
        const std::size_t count = work.size();
        std::vector<char> taken(count, 0);
        std::vector<std::size_t> candidates;
        const std::vector<AnchorBox> byLeft = m_check == ContainmentCheck::BoundingBoxFirst
            ? anchorBoxesByLeft(work)
            : std::vector<AnchorBox>();
        for (std::size_t d = 0; d < count; ++d) {
            if (taken[d])
                continue;
            const int outer = work[d];
            const OutlineBounds &o = m_bounds[std::size_t(outer)];
            if (!o.finite)
                continue;
            candidates.clear();
            if (m_check == ContainmentCheck::BoundingBoxFirst) {
                // Only outlines whose box can lie in this one's box, found
                // through the list sorted by left edge; then back in list
                // order, which decides the order of the inner level.
                auto k = std::lower_bound(
                    byLeft.begin(), byLeft.end(), o.hullLeft,
                    [](const AnchorBox &box, double left) { return box.left < left; });
                for (; k != byLeft.end() && k->left <= o.hullRight; ++k) {
                    if (k->right <= o.hullRight && k->top >= o.hullTop
                        && k->bottom <= o.hullBottom && k->position != d && !taken[k->position])
                        candidates.push_back(k->position);
                }
                std::sort(candidates.begin(), candidates.end());
            } else {
                for (std::size_t i = 0; i < count; ++i) {
                    if (i != d && !taken[i])
                        candidates.push_back(i);
                }
            }
            std::vector<int> inner;
            for (std::size_t i : candidates) {
                if (m_bounds[std::size_t(work[i])].finite
                    && m_nodes.at(outer)->path.contains(m_nodes.at(work[i])->path)) {
                    inner.push_back(work[i]);
                    taken[i] = 1;
                }
            }
            if (!inner.empty())
                pending.push_back({outer, std::move(inner)});
        }
        return taken;
    }

    struct AnchorBox
    {
        double left, right, top, bottom;
        std::size_t position; // in the level
    };

    // The anchor boxes of the level's finite outlines, sorted by left edge
    // (outlines with undefined points are never inside).
    std::vector<AnchorBox> anchorBoxesByLeft(const std::vector<int> &work) const
    {
        std::vector<AnchorBox> boxes;
        boxes.reserve(work.size());
        for (std::size_t i = 0; i < work.size(); ++i) {
            const OutlineBounds &b = m_bounds[std::size_t(work[i])];
            if (b.finite)
                boxes.push_back({b.anchorLeft, b.anchorRight, b.anchorTop, b.anchorBottom, i});
        }
        std::stable_sort(boxes.begin(), boxes.end(),
                         [](const AnchorBox &a, const AnchorBox &b) { return a.left < b.left; });
        return boxes;
    }

    const QList<PathTreeNode *> m_nodes;
    const ContainmentCheck m_check;
    std::vector<OutlineBounds> m_bounds;
};

void appendInReadingOrder(const QList<PathTreeNode *> &nodes, QList<PathTreeNode *> &out)
{
    // Post-order walk with an explicit stack: contained outlines first.
    struct Frame
    {
        const QList<PathTreeNode *> *siblings;
        int next;
        PathTreeNode *owner; // appended once its children are done
    };
    QSet<const PathTreeNode *> seen;
    std::vector<Frame> stack;
    stack.push_back({&nodes, 0, nullptr});
    bool warned = false;
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next >= frame.siblings->size()) {
            PathTreeNode *owner = frame.owner;
            stack.pop_back();
            if (owner)
                out.append(owner);
            continue;
        }
        PathTreeNode *node = frame.siblings->at(frame.next++);
        if (!node || seen.contains(node)) {
            // A tree built by hand could share or loop nodes; each node is
            // still read once.
            if (!warned)
                qWarning("readPathTree: skipping null or repeated outline nodes");
            warned = true;
            continue;
        }
        seen.insert(node);
        if (node->children.isEmpty())
            out.append(node);
        else
            stack.push_back({&node->children, 0, node});
    }
}

} // namespace

QList<QPainterPath> sortThePath(const QList<QPainterPath> &paths)
{
    if (paths.size() <= 1)
        return paths;
    const std::vector<Endpoints> points = endpointsOf(paths);
    NearestOrder order(points, 10000000, false);
    QList<QPainterPath> result;
    result.reserve(paths.size());
    for (const Pick &pick : order.run(startCornerIndex(points)))
        result.append(paths.at(pick.index));
    return result;
}

QList<PathTreeNode *> sortThePathTree(const QList<PathTreeNode *> &nodes)
{
    return orderTreeLevel(usableNodes(nodes, "sortThePathTree"));
}

QList<PathTreeNode *> sortThePathContainmentRelationshipList(const QList<PathTreeNode *> &nodes,
                                                             ContainmentCheck check)
{
    ContainmentTree tree(usableNodes(nodes, "sortThePathContainmentRelationshipList"),
                         check);
    return tree.build();
}

QList<PathTreeNode *> readPathTree(const QList<PathTreeNode *> &roots)
{
    QList<PathTreeNode *> out;
    appendInReadingOrder(roots, out);
    return out;
}

QList<PathTreeNode *> readPathTreeChild(const QList<PathTreeNode *> &nodes)
{
    QList<PathTreeNode *> out;
    appendInReadingOrder(nodes, out);
    return out;
}
