#pragma once

#include <QList>
#include <QRectF>
#include <QString>

#include "verticalcells.h"

namespace nvl {

// What the layouts draw on: a printer in twips (1/1440 inch) from the
// top-left of the printable area, text placed by its line's top-left corner.
class PrinterSurface {
public:
    virtual ~PrinterSurface() = default;

    virtual void setX(float twips) = 0;
    virtual void setY(float twips) = 0;
    virtual void setFontName(const QString &name) = 0;
    virtual void setFontSize(double points) = 0;
    virtual void printText(const QString &text) = 0;
    // For the current font, in twips: how far the text advances, and where
    // its ink lies relative to the point text is placed at (setX, setY).
    virtual double advance(const QString &text) = 0;
    virtual QRectF inkBounds(const QString &text) = 0;
    // Vertical writing: the text read downwards in a column whose top centre
    // is at (setX, setY), in the font's vertical forms, cell by cell
    // (verticalCells), `gap` twips more between cells.
    virtual double verticalAdvance(const QString &text) = 0;
    virtual void printVertical(const QString &text, double gap = 0) = 0;
    virtual void newPage() = 0;
    // A text did not fit in its place even at the smallest size the layouts
    // set: it runs over. Nothing is drawn for it here; a checking surface counts.
    virtual void noteUnfitted() {}
    // Completes the document; false when the output could not be finished.
    virtual bool endDocument() = 0;

    // The fonts this printer can print with.
    virtual int fontCount() const = 0;
    virtual QString fontName(int index) const = 0;
};

// Remembers every call, for tests and for timing the layouts alone.
class RecordingSurface : public PrinterSurface {
public:
    struct Item {
        float x;
        float y;
        QString font;
        double size;
        QString text;
        int page;
        bool vertical = false;
        double gap = 0;
    };

    void setX(float twips) override { m_x = twips; }
    void setY(float twips) override { m_y = twips; }
    void setFontName(const QString &name) override { m_font = name; }
    void setFontSize(double points) override { m_size = points; }
    void printText(const QString &text) override {
        items.append({m_x, m_y, m_font, m_size, text, pages});
    }
    // Every vertical cell is one em high.
    double verticalAdvance(const QString &text) override {
        return static_cast<double>(verticalCells(text).size()) * m_size * 20;
    }
    void printVertical(const QString &text, double gap) override {
        items.append({m_x, m_y, m_font, m_size, text, pages, true, gap});
    }
    // A fixed model of a font, for tests: a full-width character advances
    // one em, any other half; the ink fills the middle of each advance.
    double advance(const QString &text) override {
        double em = 0;
        for (QChar c : text)
            em += c.unicode() >= 0x1100 ? 1.0 : 0.5;
        return em * m_size * 20;
    }
    QRectF inkBounds(const QString &text) override {
        const double width = advance(text);
        const double em = m_size * 20;
        return {width * 0.1, em * 0.2, width * 0.8, em * 0.7};
    }
    void newPage() override { ++pages; }
    bool endDocument() override {
        ended = true;
        return true;
    }
    int fontCount() const override { return static_cast<int>(fonts.size()); }
    QString fontName(int index) const override { return fonts.value(index); }

    QList<Item> items;
    int pages = 1; // the page being drawn, counted from 1
    bool ended = false;
    QStringList fonts;

private:
    float m_x = 0;
    float m_y = 0;
    QString m_font;
    double m_size = 0;
};

} // namespace nvl
