#pragma once

#include "formwindow.h"

class QLabel;
class QTimer;

namespace nvl {

// frmFont: lists the printer's fonts, shows a sample, and gives the chosen
// one to the print window as the address font.
class FontWindow : public FormWindow {
    Q_OBJECT
public:
    explicit FontWindow(AppContext &context);

    static inline const QString Sample =
        QStringLiteral("123\r東京都  様　御中\rあいうえお　ＡＢＣ");

signals:
    // 了解: the font the user chose for the addresses.
    void fontChosen(const QString &family);

protected:
    void buildForm(QWidget *content) override;
    void formLoad() override;

private:
    void SetFont();
    void chooseFont(const QString &name);
    void showSample();
    void accept();
    QLabel *label(const char *name) const;
};

} // namespace nvl
