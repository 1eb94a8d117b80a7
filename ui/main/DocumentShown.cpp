#include "DocumentShown.h"

#include <QTreeWidget>

#include "BackgroundPublish.h"
#include "PreviewController.h"
#include "PropertyBinder.h"
#include "RecentFiles.h"
#include "TreePanel.h"
#include "WidgetProgress.h"

namespace lumivex::ui {

void DocumentShown::storePanel() {
    parts().binder.storePanel();
}

void DocumentShown::refillTree(const std::function<void()>& fill) {
    parts().tree.refill(fill);
}

void DocumentShown::showNewProject() {
    parts().tree.selectRootShown();
    parts().binder.LoadAppletProperties();
}

void DocumentShown::showLoadedProject() {
    parts().binder.LoadAppletProperties();
    // The items of an opened project are in view at once; their pictures follow.
    parts().treeWidget->expandAll();
    parts().tree.selectRoot();
    parts().tree.UpdatePropertyPages(true);
    parts().tree.showThumbnails();
}

void DocumentShown::historyChanged() {
    parts().tree.UpdateItemCommands();
}

void DocumentShown::showInPreview() {
    parts().preview.showFromStart();
}

void DocumentShown::publishInBackground(const std::function<void()>& work) {
    parts().publishing.run(work);
}

void DocumentShown::showHint(const std::string& text) {
    parts().progress.setHint(text);
}

void DocumentShown::addRecentFile(const QString& path) {
    parts().recentFiles.AddRecentFile(path);
}

}  // namespace lumivex::ui
