#pragma once

#include "formwindow.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace nvl {

// Lists the printer's fonts, shows a sample, and gives the chosen
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
    void buildControls(QWidget *content) override;
    void afterLoad() override;

private:
    void fillFontList();
    void chooseFont(const QString &name);
    void showSample();
    void accept();

    QString m_chosenFont;
    QListWidget *m_list = nullptr;
    QLabel *m_nameLabel = nullptr;
    QLabel *m_sample = nullptr;
    QPushButton *m_applyButton = nullptr;
    QPushButton *m_okButton = nullptr;
    QTimer *m_fillTimer = nullptr;
};

} // namespace nvl
