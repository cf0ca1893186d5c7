#pragma once

#include "canvas/doodletool.h"
#include "document/jobassembly.h"
#include "gcode/gcodebuffer.h"

#include <QDomElement>
#include <QDomNode>
#include <QList>
#include <QPainterPath>
#include <QObject>
#include <QString>
#include <QStringList>

class CamdList;
class DesignView;
class MainWindow;
class Node;
class Scene;
class SVGDocument;
class Undo;

// The one object through which the program reaches the open design: it owns
// the document model, the canvas and the undo history, knows the design view,
// and offers the document-level operations.
class SVGView : public QObject
{
    Q_OBJECT
public:
    // Work area used until the device panel tells the real one: 150 x 150 mm
    // in design units of 0.08 mm.
    static constexpr double DefaultSceneSide = 150 * 12.5;

    explicit SVGView(MainWindow *mainWindow);
    ~SVGView() override;

    void addDesignView(DesignView *view);
    DesignView *getDesignView() const { return designView; }
    SVGDocument *model() const { return svgModel; }
    Scene *getScene() const { return scene; }
    MainWindow *getMainWindow() const { return mainWindow; }

    // Replaces the document by a new one from the template.
    bool newFile();
    // Replaces the document by the file's content. False, with the current
    // document unchanged, when the file cannot be read or is no usable SVG.
    bool load(const QString &path);
    // Scene size in design units; rewrites the root's width and height.
    void setSvgSceneBound(double width, double height);
    // Zooms the design view so that the work area (plus a margin) fits.
    void setSvgViewScale();
    void setDoodleTool(DoodleTool tool);
    DoodleTool doodleTool() const { return currentTool; }
    // True when there is something to undo.
    bool isModified() const;

    double getSceneWidth() const { return sceneWidth; }
    double getSceneHeight() const { return sceneHeight; }
    QString getFilePath() const { return filePath; }

    // The node new elements are added under (the first "g" built), or null.
    Node *drawingLayer() const { return layer; }
    // Makes `node` the drawing layer unless there is one; whether it did.
    bool claimDrawingLayer(Node *node);

    // New elements with their add records; null when there is nowhere to add.
    Node *addItem(const QString &tag, const QStringList &names, const QStringList &values);
    Node *pasteItem(const QString &tag, const QStringList &names, const QStringList &values, Node *parent);
    Node *pasteTextItem(const QString &tag, const QStringList &names, const QStringList &values, Node *parent,
                        const QString &text);
    // Takes a just-added element out again, with its add record when that is
    // the last one (an element too small to keep leaves no undo step).
    void discardItem(Node *node);
    // Appends an undo record (taking ownership) and reports the change.
    void camdListAppend(Undo *command);
    CamdList *commands() const { return commandList; }
    void undo();
    void redo();

    // Appends the glyph outlines of a "text" element, with its print
    // parameters, as "path" elements to the text's parent.
    void text2Path(const QDomNode &node);

    // Paint configuration for job generation.
    void setPaintConfig(const QList<QString> &keys, const QList<double> &values);
    double paintPower = 1000;
    double paintSpeed = 1500;
    double scanBuffer = 15;
    double scanErr = 0;
    double paintNum = 1;
    double printSpacing = 1;
    double paintDirection = 0;

    // ---- Job generation (defined in jobassembly.cpp) ----
    // Turns the design, given as SVG text, into the job left in mGcode.
    // Returns an empty text on success; otherwise why there is no job
    // (mGcode is then empty). progress may cancel.
    QString svg2Gcode(const QString &svgText, const JobProgress &progress = {});
    // What the window's job commands do: empty mGcode, serialise the document
    // and generate from that text.
    QString generateJob(const JobProgress &progress = {});
    // Collects every "fill:none" element below `element` as an outline with
    // its cut parameters and removes it from the document; true when
    // `element` itself was removed. parent is null for the root, which is
    // never removed. inheritedFill: the fill a shape without one of its own
    // takes ("black" at the root, as in SVG; empty: none).
    bool recursionSvgDocRemoveStroke(QDomElement element, QDomElement *parent, QList<QPainterPath> &paths,
                                     QList<double> &power, QList<double> &speed, QList<double> &xError,
                                     QList<double> &yError, const QString &inheritedFill = QString());
    // Removes every image and filled element whose print parameters differ
    // from `parameter`; true when `element` itself was removed.
    bool recursionSvgDocRemovemParameter(QDomElement element, QDomElement *parent, const PaintParameter *parameter,
                                         const QString &inheritedFill = QString());
    // Emits the items in order into mGcode.
    void sortItemListtoGcode(SortItemList *list);
    // The print parameters of an element, the scene's defaults filling gaps.
    PaintParameter paintParameterOf(const QDomElement &element) const;

    QList<GCodeBuffer> mGcode;
    QList<PaintParameter> paintParameterList;

signals:
    void itemModified();

private:
    // Clears everything that refers to the current document before it is replaced.
    void forgetDocument();
    Node *addUnder(Node *parent, const QString &tag, const QStringList &names, const QStringList &values,
                   const QString *text);

    double sceneWidth = DefaultSceneSide;
    double sceneHeight = DefaultSceneSide;
    DoodleTool currentTool = DoodleTool::Select;
    SVGDocument *svgModel = nullptr;
    Scene *scene = nullptr;
    DesignView *designView = nullptr;
    Node *layer = nullptr;
    CamdList *commandList = nullptr;
    QString filePath;
    MainWindow *mainWindow = nullptr;
};
