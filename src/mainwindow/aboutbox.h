#pragma once

#include "formwindow.h"

#include <QLabel>

namespace nvl {

// The version box, filled by the main window and shown modal.
class AboutBox : public FormWindow {
    Q_OBJECT
public:
    explicit AboutBox(AppContext &context);

    // Stands before whatever the notice text is.
    static const QString NoticePrefix;
    // The maker's notice: a first line, then contact lines after CR alone.
    static const QString MakerNotice;

    // Each loads the box first, as its load sets the placeholders.
    void setApplication(const QString &text);
    void setVersion(const QString &text);
    void setHeading(const QString &text);
    void setCopyright(const QString &text);
    void showModal();
    // The program's own name, version and notice, shown modal.
    void showProgramVersion();

protected:
    void buildControls(QWidget *content) override;
    void afterLoad() override;

private:
    QLabel *m_application = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_heading = nullptr;
    QLabel *m_notice = nullptr;
};

} // namespace nvl
