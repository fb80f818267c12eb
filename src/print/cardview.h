#pragma once

#include "printjob.h"

#include <QFrame>
#include <QList>

namespace nvl {

// One card of the print job as the job prints it, at its real size: the
// same drawing as the print, the preview and the PDF, with the card's red
// postal-code boxes under it.
class CardView : public QFrame {
    Q_OBJECT
public:
    explicit CardView(QWidget *parent);

    void showCard(const PrintJob &job, int n);

    // A text the card was last painted with, in twips from the card's corner.
    struct Drawn {
        QString text;
        QString font;
        double points;
        QPointF at;
        bool vertical;
    };
    const QList<Drawn> &drawn() const { return m_drawn; }
    // The texts the card shows now, in drawing order (blanks trimmed).
    QStringList texts();
    // The first drawn text that is `text`, or null.
    const Drawn *find(const QString &text);

    QSize sizeHint() const override;
    // Drawn smaller where the window would not fit the screen otherwise.
    void fitHeight(int most);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    PrintJob m_job;
    int m_card = 0;
    QList<Drawn> m_drawn;
};

} // namespace nvl
