// The main window's frame and its menu commands, each handed to its subject.
#include "MainForm.h"

#include <QCloseEvent>
#include <QSplitter>
#include <QTemporaryDir>
#include <QUndoStack>

#include "About.h"
#include "BackgroundPublish.h"
#include "DocumentShown.h"
#include "HTMLBuild.h"
#include "HelpCommands.h"
#include "HelpWindow.h"
#include "PhotosIn.h"
#include "PreviewController.h"
#include "ProjectDocument.h"
#include "PropertyBinder.h"
#include "Publisher.h"
#include "RecentFiles.h"
#include "RecoveryCopy.h"
#include "ServerUpload.h"
#include "SettingsStore.h"
#include "Thumbnails.h"
#include "TreePanel.h"
#include "TreeWidgetItemTree.h"
#include "WebBrowser.h"
#include "WidgetProgress.h"
#include "ui_MainForm.h"

namespace lumivex::ui {

TMainForm::~TMainForm() {
    qApp->removeEventFilter(historyFilter_);
    qApp->removeEventFilter(escapeFilter_);
    // The subjects go before the engine and the tree they work on.
    for (QObject* subject :
         std::initializer_list<QObject*>{upload_, photos_, help_, recentFiles_, document_, preview_,
                                         binder_, treePanel_, publishing_})
        delete subject;
}

void TMainForm::New1Click() {
    document_->newProject();
}

void TMainForm::Open1Click() {
    document_->openChosen();
}

void TMainForm::OpenProjectFile(const QString& path) {
    document_->openFile(path);
}

void TMainForm::Save1Click() {
    document_->save();
}

void TMainForm::Save2Click() {
    document_->saveAs(document_->dialogFolder());
}

void TMainForm::SaveAsTemplate1Click() {
    document_->saveAsTemplate();
}

void TMainForm::Templet1Click() {
    TfrmTemplet(platform_, *this, programFolder_, this).exec();
}

void TMainForm::ImportMenuStructure1Click() {
    document_->importMenuStructure();
}

void TMainForm::ExportMenuStructure1Click() {
    document_->exportMenuStructure();
}

void TMainForm::Exit1Click() {
    close();
}

void TMainForm::BuildHTML1Click() {
    preview_->BuildHTML1Click();
}

void TMainForm::Preview1Click() {
    preview_->Preview1Click();
}

void TMainForm::Publish1Click() {
    preview_->Publish1Click();
}

void TMainForm::PublishToServer1Click() {
    upload_->PublishToServer1Click();
}

void TMainForm::ToolBar1Click() {
    ui_->tlbr1->setVisible(ui_->ToolBar1->isChecked());
}

void TMainForm::StatusBar2Click() {
    ui_->StatusBar1->setVisible(ui_->StatusBar2->isChecked());
}

void TMainForm::PreviewWindow1Click() {
    preview_->PreviewWindow1Click();
}

void TMainForm::WebBrowser1Click() {
    TformWebBrowser(platform_, this).exec();
}

void TMainForm::About1Click() {
    TformAbout(platform_, this).exec();
}

void TMainForm::Undo1Click() {
    moveHistory(true);
}

void TMainForm::Redo1Click() {
    moveHistory(false);
}

void TMainForm::moveHistory(bool back) {
    binder_->newTypingSession();
    if (back)
        document_->history().undo();
    else
        document_->history().redo();
    treePanel_->UpdateItemCommands();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    const auto askToStop = [this] {
        return platform_.dialogs.message(
                   this, MessageKind::Confirmation, tr("A publish is running. Stop it and close?"),
                   {MessageButton::Yes, MessageButton::No}) == MessageButton::Yes;
    };
    if (!publishing_->mayCloseNow(askToStop) || !document_->mayClose()) {
        event->ignore();
        return;
    }
    event->accept();
    platform_.settings.write(kSettingsKey, kWindowLayout, saveState());
    platform_.settings.write(kSettingsKey, kWindowGeometry, saveGeometry());
    platform_.settings.write(kSettingsKey, kSplitterLayout, ui_->Splitter1->saveState());
    // The lasting windows go with the main window: closing it ends the program.
    for (QWidget* w :
         {static_cast<QWidget*>(preview_->formHTML()), static_cast<QWidget*>(help_->frmHelp()),
          static_cast<QWidget*>(preview_->frmPreview())}) {
        if (w != nullptr)
            w->hide();
    }
}

}  // namespace lumivex::ui
