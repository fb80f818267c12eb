#include "userdriver.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

namespace nvl::test {

QString visibleText(const QString &text) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)"));
    QString plain = text;
    plain.remove(mnemonic);
    plain.remove(u'&');
    return plain.trimmed();
}

namespace {

QStringList buttonTexts(QWidget *window) {
    QStringList texts;
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->isVisible())
            texts.append(button->text().isEmpty() ? button->accessibleName() : button->text());
    }
    return texts;
}

QAbstractButton *findButton(QWidget *window, const QString &text) {
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (!button->isVisible())
            continue;
        if (visibleText(button->text()) == text ||
            (button->text().isEmpty() && button->accessibleName() == text))
            return button;
    }
    return nullptr;
}

} // namespace

QAbstractButton *buttonNamed(QWidget *window, const QString &text) {
    QAbstractButton *button = window ? findButton(window, text) : nullptr;
    if (!button)
        QTest::qFail(qPrintable(QStringLiteral("no button \"%1\"; visible buttons: %2")
                                    .arg(text, window ? buttonTexts(window).join(u',')
                                                      : QStringLiteral("(no window)"))),
                     __FILE__, __LINE__);
    return button;
}

bool press(QWidget *window, const QString &text) {
    QAbstractButton *button = buttonNamed(window, text);
    if (!button)
        return false;
    if (!button->isEnabled()) {
        QTest::qFail(qPrintable(QStringLiteral("button \"%1\" is disabled").arg(text)), __FILE__,
                     __LINE__);
        return false;
    }
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

QStringList latinTexts(QWidget *dialog) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    QStringList found;
    const auto note = [&found](const QString &text) {
        const QString shown = visibleText(text);
        if (shown.contains(word) && !found.contains(shown))
            found.append(shown);
    };
    for (QWidget *w : dialog->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(dialog))
            continue;
        if (auto *label = qobject_cast<QLabel *>(w))
            note(label->text());
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            note(button->text());
        if (auto *group = qobject_cast<QGroupBox *>(w))
            note(group->title());
        if (auto *combo = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < combo->count(); ++i)
                note(combo->itemText(i));
        if (auto *tabs = qobject_cast<QTabWidget *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                note(tabs->tabText(i));
        if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model()) {
            const QAbstractItemModel *model = view->model();
            const QModelIndex root = view->rootIndex();
            for (int c = 0; c < model->columnCount(root); ++c) {
                note(model->headerData(c, Qt::Horizontal).toString());
                for (int r = 0; r < std::min(5, model->rowCount(root)); ++r)
                    note(model->index(r, c, root).data().toString());
            }
        }
    }
    return found;
}

QWidget *controlNamed(QWidget *window, const QString &name) {
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        // A caption reads as its own text: the box it names is wanted.
        if (!widget->isVisible() || qobject_cast<QLabel *>(widget))
            continue;
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        if (accessible && accessible->text(QAccessible::Name) == name)
            return widget;
    }
    return nullptr;
}

void typeText(QWidget *widget, const QString &text) {
    widget->setFocus();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QWidget *windowTitled(const QString &title) {
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == title)
            return window;
    }
    return nullptr;
}

QString describe(const QList<SeenDialog> &dialogs) {
    QStringList parts;
    for (const SeenDialog &dialog : dialogs)
        parts.append(QStringLiteral("%1 %2: %3").arg(dialog.className, dialog.title, dialog.text));
    return parts.join(QStringLiteral("; "));
}

ModalAnswers::ModalAnswers() {
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswers::poll);
    m_timer.start(10);
}

ModalAnswers::~ModalAnswers() = default;

ModalAnswers &ModalAnswers::then(Action action) {
    m_actions.append(std::move(action));
    return *this;
}

QStringList ModalAnswers::messageTexts() const {
    QStringList texts;
    for (const SeenDialog &dialog : seen) {
        if (dialog.className == QLatin1String("QMessageBox"))
            texts.append(dialog.text);
    }
    return texts;
}

void ModalAnswers::poll() {
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog || !dialog->isVisible()) {
        m_top = nullptr;
        return;
    }
    if (m_top == dialog || leftAlone.contains(dialog->windowTitle()))
        return;
    // A dialog answered before that is back on top (a question over it was
    // answered) is answered again once it stays there; one about to close
    // itself after that question is left alone.
    bool answeredBefore = false;
    for (const QPointer<QWidget> &done : std::as_const(m_answered))
        answeredBefore = answeredBefore || done == dialog;
    if (answeredBefore) {
        if (m_candidate != dialog) {
            m_candidate = dialog;
            m_candidateSince.start();
            return;
        }
        // A busy machine may take a while to close it: with no answer left
        // it would be pressed away as unexpected, so it is given longer.
        if (m_candidateSince.elapsed() < (m_actions.isEmpty() ? 3000 : 200))
            return;
    }
    m_top = dialog;
    m_candidate = nullptr;
    if (!answeredBefore)
        m_answered.append(dialog);
    SeenDialog record{QString::fromLatin1(dialog->metaObject()->className()), dialog->windowTitle(),
                      QString()};
    if (auto *box = qobject_cast<QMessageBox *>(dialog))
        record.text = box->text();
    seen.append(record);
    if (m_actions.isEmpty()) {
        unexpected.append(record);
        pressEscape()(dialog);
        return;
    }
    const Action action = m_actions.takeFirst();
    // Acted on from the event loop, as a user's click arrives.
    QTimer::singleShot(0, dialog, [action, dialog] { action(dialog); });
    // An answer that did not close its dialog must not hang the test.
    const QPointer<QWidget> watched(dialog);
    QTimer::singleShot(30000, this, [this, watched, record] {
        if (watched && watched->isVisible() && QApplication::activeModalWidget() == watched) {
            unexpected.append(record);
            // What a file dialog held then, to tell a name lost from a list behind.
            QString held;
            if (auto *files = qobject_cast<QFileDialog *>(watched.data())) {
                const auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                held = QStringLiteral(" (name box \"%1\", folder %2)")
                           .arg(name ? name->text() : QString(), files->directory().path());
            }
            QTest::qFail(
                qPrintable(QStringLiteral("dialog \"%1\" stayed open%2").arg(record.title, held)),
                __FILE__, __LINE__);
            pressEscape()(watched);
        }
    });
}

BrowserLauncherStandIn::BrowserLauncherStandIn() : m_path(qgetenv("PATH")) {
    const QString launcher = m_bin.filePath(QStringLiteral("xdg-open"));
    QFile script(launcher);
    if (script.open(QIODevice::WriteOnly))
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\n")
                         .arg(m_bin.filePath(QStringLiteral("opened.txt")))
                         .toUtf8());
    script.close();
    QFile::setPermissions(launcher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", m_bin.path().toUtf8() + ':' + m_path);
}

BrowserLauncherStandIn::~BrowserLauncherStandIn() {
    qputenv("PATH", m_path);
}

QByteArray BrowserLauncherStandIn::opened() const {
    QFile record(m_bin.filePath(QStringLiteral("opened.txt")));
    return record.open(QIODevice::ReadOnly) ? record.readAll() : QByteArray();
}

ModalAnswers::Action pressButton(const QString &text) {
    return [text](QWidget *dialog) {
        press(dialog, text);
    };
}

ModalAnswers::Action pressEscape() {
    return [](QWidget *dialog) {
        QTest::keyClick(dialog, Qt::Key_Escape);
    };
}

ModalAnswers::Action closeWindow() {
    return [](QWidget *dialog) {
        dialog->close();
    };
}

ModalAnswers::Action typeFileNameAndPress(const QString &path, const QString &button) {
    return [path, button](QWidget *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY2(edit, "the file dialog has no file name box");
        edit->clear();
        typeText(edit, path);
        // The completion list that typing opens is dismissed, as Escape would.
        if (QCompleter *completer = edit->completer(); completer && completer->popup()->isVisible())
            completer->popup()->hide();
        // On a busy machine the completer may take keys while it is shown,
        // and the dialog may put its first file's name back once its list has
        // loaded: the name box must hold what was typed, and keep it a moment,
        // before anything is pressed.
        QElapsedTimer steady;
        steady.start();
        for (int round = 0; round < 20 && steady.elapsed() < 200; ++round) {
            if (edit->text() != path) {
                edit->setText(path);
                steady.restart();
            }
            QTest::qWait(50);
        }
        // The dialog names its button after what the typed path is (a folder
        // reads 開く) once its file list has caught up: wait for that.
        const bool named = QTest::qWaitFor(
            [&] {
                QAbstractButton *target = findButton(dialog, button);
                return target && target->isEnabled();
            },
            5000);
        if (named)
            press(dialog, button);
        // The list under the name may keep a folder current (the button
        // then reads 開く), or catch up only after the press on a busy
        // machine; Return in the name box acts on the name typed.
        const QPointer<QWidget> open(dialog);
        const QPointer<QLineEdit> name(edit);
        // Done when the dialog closes or asks something (an overwrite
        // question on top is answered by whoever scripted it, never pressed
        // past by a second Return).
        const auto settled = [&] {
            return !open || !open->isVisible() || QApplication::activeModalWidget() != open;
        };
        for (int attempt = 0; attempt < 3; ++attempt) {
            if ((named || attempt > 0) && QTest::qWaitFor(settled, 5000))
                break;
            if (!name || !name->isVisible())
                break;
            if (name->text() != path)
                name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
        }
        // A machine too busy for the dialog's list to catch up at all: the
        // name typed is taken as the dialog itself takes it.
        if (!settled())
            if (auto *files = qobject_cast<QFileDialog *>(open.data())) {
                // The path scripted: the box may have been emptied meanwhile,
                // by the dialog going to a folder its list had current.
                files->selectFile(path);
                QMetaObject::invokeMethod(files, "accept");
            }
    };
}

ModalAnswers::Action choosePrinterAndPress(const QString &printer, const QString &button) {
    return [printer, button](QWidget *dialog) {
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        QVERIFY2(printers, "the printer dialog has no printer list");
        const int index = printers->findText(printer);
        QVERIFY2(index >= 0, qPrintable(QStringLiteral("printer %1 is not offered").arg(printer)));
        printers->setCurrentIndex(index);
        press(dialog, button);
    };
}

ModalAnswers::Action inspectThen(std::function<void(QWidget *)> inspect,
                                 ModalAnswers::Action next) {
    return [inspect, next](QWidget *dialog) {
        inspect(dialog);
        next(dialog);
    };
}

} // namespace nvl::test
