#pragma once

#include <optional>

#include "ProjectDocument.h"

class QTreeWidget;

namespace lumivex::ui {

class BackgroundPublish;
class PreviewController;
class PropertyBinder;
class RecentFiles;
class TreePanel;
class WidgetProgress;

// The main window as the project document sees it: the tree, the pages and the preview show
// what the document opened, and a save is published in the background.
class DocumentShown final : public DocumentView {
public:
    struct Parts {
        TreePanel& tree;
        QTreeWidget* treeWidget;
        PropertyBinder& binder;
        PreviewController& preview;
        BackgroundPublish& publishing;
        WidgetProgress& progress;
        RecentFiles& recentFiles;
    };
    // The parts are made after the document; none is asked for before attach().
    void attach(const Parts& parts) { parts_.emplace(parts); }

    void storePanel() override;
    void refillTree(const std::function<void()>& fill) override;
    void showNewProject() override;
    void showLoadedProject() override;
    void historyChanged() override;
    void showInPreview() override;
    void publishInBackground(const std::function<void()>& work) override;
    void showHint(const std::string& text) override;
    void addRecentFile(const QString& path) override;

private:
    const Parts& parts() const { return *parts_; }
    std::optional<Parts> parts_;
};

}  // namespace lumivex::ui
