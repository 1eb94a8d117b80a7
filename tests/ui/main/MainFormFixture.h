#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <memory>

#include "Doubles.h"
#include "ErrorReport.h"
#include "HelpCommands.h"
#include "MainForm.h"
#include "PhotosIn.h"
#include "PreviewController.h"
#include "ProjectDocument.h"
#include "PropertyBinder.h"
#include "RecentFiles.h"
#include "TreePanel.h"
#include "TreeWidgetItemTree.h"
#include "UiTestSupport.h"
#include "ui_MainForm.h"

namespace lumivex::ui::testing {

// A main window over the doubles, with a program folder of its own holding the runtime.
struct MainFormFixture {
    MainFormFixture() : folder(FreshFolder(QStringLiteral("program"))) {
        QFile::copy(QStringLiteral(LUMIVEX_SOURCE_DIR "/share/lumivex.js"), folder + "lumivex.js");
        ErrorReport::setDialogs(&dialogs);
        form = std::make_unique<TMainForm>(platform, folder);
        form->CreateLastingWindows();
        dialogs.clear();
    }
    ~MainFormFixture() { ErrorReport::setDialogs(nullptr); }

    Ui::MainForm& ui() { return *form->form(); }
    QTreeWidget* tree() { return ui().trvwDesignPanel; }
    QTreeWidgetItem* root() { return tree()->topLevelItem(0); }
    TzqxAppletAgent& agent() { return form->agent(); }
    void select(QTreeWidgetItem* node) { tree()->setCurrentItem(node); }
    // Inserts a child under `parent` and gives it `title` in the engine and the tree.
    QTreeWidgetItem* insert(QTreeWidgetItem* parent, const std::string& title) {
        select(parent);
        form->tree().Insert1Click();
        QTreeWidgetItem* node = parent->child(parent->childCount() - 1);
        const int index = form->itemTree().absoluteIndex(node) - 1;
        TItemData item = agent().GetItem(index);
        item.Title = title;
        agent().SetItem(item, index);
        node->setText(0, QString::fromStdString(title));
        node->setData(0, Qt::UserRole, QByteArray::fromStdString(title));
        return node;
    }
    // Every item node's caption against the engine's titles, in list order.
    bool treeInStepWithList() {
        const std::vector<ItemTree::Node> nodes = form->itemTree().itemNodes();
        if (nodes.size() != agent().Items.size())
            return false;
        for (size_t k = 0; k < nodes.size(); ++k) {
            if (form->itemTree().caption(nodes[k]) != agent().Items[k].Title)
                return false;
            if (agent().Items[k].Level != std::to_string(form->itemTree().depth(nodes[k]) - 1))
                return false;
        }
        return true;
    }
    QStringList titles() {
        QStringList list;
        for (const TItemData& item : agent().Items)
            list << QString::fromStdString(item.Title);
        return list;
    }

    QString folder;
    FakeDialogs dialogs;
    FakeShell shell;
    MemorySettingsStore settings;
    Platform platform{dialogs, shell, settings};
    std::unique_ptr<TMainForm> form;
};

inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

}  // namespace lumivex::ui::testing
