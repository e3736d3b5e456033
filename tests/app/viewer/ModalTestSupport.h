// Acting on the modal windows (dialogs, message boxes) a test opens, from inside their own
// event loop.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Runs Action on the next modal window that opens (one that was not already the modal window
// at the call), at most a few seconds after the call.
inline void OnNextModal(std::function<void(QWidget* Modal)> Action) {
    QWidget* before = QApplication::activeModalWidget();
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal != before) {
            timer->stop();
            timer->deleteLater();
            Action(modal);
        } else if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal window opened";
        }
    });
    timer->start(10);
}

// While it lives, a modal window that opens is a failure and is closed at once, so a call that
// must not ask returns instead of waiting for an answer.
class TNoModals {
public:
    TNoModals() {
        QObject::connect(&FTimer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "a modal window opened: " << modal->windowTitle().toStdString();
                modal->close();
            }
        });
        FTimer.start(20);
    }

private:
    QTimer FTimer;
};

// Modal as a T, or nullptr with a failure naming What it should have been.
template <typename T> T* ModalAs(QWidget* Modal, const char* What) {
    auto* typed = qobject_cast<T*>(Modal);
    if (typed == nullptr)
        ADD_FAILURE() << "not a " << What;
    return typed;
}

// Chooses Path in a file dialog and accepts it, as a user would. While its name field has the
// focus, selectFile only selects in the list, which lacks a file the name filter hides: the
// path is then typed into the field.
inline void ChooseFile(QWidget* Dialog, const QString& Path) {
    auto* files = ModalAs<QFileDialog>(Dialog, "file dialog");
    if (files == nullptr)
        return;
    files->selectFile(Path);
    if (files->selectedFiles() != QStringList{Path})
        if (auto* name = files->findChild<QLineEdit*>("fileNameEdit"))
            name->setText(Path);
    static_cast<QDialog*>(files)->accept();
    if (files->isVisible()) {
        ADD_FAILURE() << "the file dialog does not take " << Path.toStdString();
        files->reject();
    }
}

// Chooses Font in a font dialog and accepts it.
inline void ChooseFont(QWidget* Dialog, const QFont& Font) {
    if (auto* fonts = ModalAs<QFontDialog>(Dialog, "font dialog")) {
        fonts->setCurrentFont(Font);
        fonts->accept();
    }
}
