#pragma once

#include <functional>
#include <string>

#include "AppletData.h"
#include "ItemTree.h"
#include "Progress.h"

namespace lumivex {

// The project engine: one per program run, owned by the main window. It holds the model and
// carries the file, generation and publishing operations. Its operations live in files named
// after their subject:
//   AppletModel.cpp     records, defaults and record access
//   ItemList.cpp        list primitives and the tree-level operations built on them
//   ProjectFile.cpp     the .lvx project file
//   MenuStructure.cpp   the .gms menu structure file
//   StyleSheet.cpp, ConfigScript.cpp, CodeGeneration.cpp   generated code
//   PreviewFolder.cpp, SlideImages.cpp                     preview folder and slide images
//   Publishing.cpp      save-and-publish and the publish report
class TzqxAppletAgent {
public:
    // `programFolder` ends with "/"; it holds lumivex.js and is the parent of the preview folder.
    TzqxAppletAgent(ItemTree& tree, Progress& progress, MessageSink& messages,
                    std::string programFolder);
    TzqxAppletAgent(const TzqxAppletAgent&) = delete;
    TzqxAppletAgent& operator=(const TzqxAppletAgent&) = delete;

    // ---- model ----
    TAppletData AppletData;
    TItemArray Items;
    TLinkedFileInfoArray LinkedFiles;
    TStringArray PreviewCopies;
    TStringArray ResourceFiles;
    const std::string Separator = kFieldSeparator;

    void SetDefaults();
    TAppletData GetAppletData() const;
    void SetAppletData(const TAppletData& data);
    TItemData GetItem(int index) const;
    void SetItem(const TItemData& item, int index);
    static TItemData NewItemDefaults();
    static TStringArray AppletDataToStrings(const TAppletData& data);
    static TAppletData StringsToAppletData(const TStringArray& strings);
    static TStringArray ItemToStrings(const TItemData& item);
    static TItemData StringsToItem(const TStringArray& strings);

    // ---- item list ----
    void InsertItem(int index, const TItemData& item);
    void DeleteItem(int index);
    void SwapItemWithPrevious(int index);

    ItemTree::Node InsertChildItem(ItemTree::Node selected);
    void DeleteSubtree(ItemTree::Node node);
    void MoveSubtreeUp(ItemTree::Node node);
    void MoveSubtreeDown(ItemTree::Node node);
    // Builds one node per item under the tree's root. Items whose level cannot be placed are
    // repaired (see ItemList.cpp) so that tree and list stay in step.
    void RebuildTree(ItemTree& tree);
    static constexpr int kMaxRebuildDepth = 1000;
    // Runs a read of the model, then leaves the tree with one node per item, whatever the read
    // left in the list, also when it fails. A bare root handed over by the caller is kept, so
    // its selection survives.
    void ReadKeepingTreeInStep(ItemTree& tree, const std::function<void()>& read);
    void RefreshLevels();

    // ---- project file ----
    void SaveToFile(const std::string& path);
    void LoadFromFile(const std::string& path, ItemTree& tree);
    static std::string ExtractField(const std::string& line, int n, const std::string& separator);

    // ---- menu structure file ----
    void ExportMenuStructure(const std::string& path);
    void ImportMenuStructure(const std::string& path, ItemTree& tree);
    // The name the export command writes to: ".gms" appended unless already there (any case).
    static std::string MenuStructureFileName(const std::string& chosen);

    // ---- code generation ----
    void GenerateCode(const std::string& pagePath);
    void PrepareItemsForOutput();

    // ---- preview folder and slide images ----
    std::string PreviewFolder() const { return ProgramFolder + "preview/"; }
    void CopyToPreview(const std::string& path);
    void ClearPreviewFolder();
    void CopyLinkedFilesToPreview(const std::string& folder);
    void CollectResourceFiles();
    void CopyResourceFilesToPreview(const std::string& folder);
    void PrepareSlideImages();
    // Puts one encoded slide image into the preview folder under `name` and lists it in
    // PreviewCopies, leaving no copy in the program folder.
    void PlaceSlideImage(const std::string& name, const std::string& bytes);

    // ---- publishing ----
    bool SaveAndPublish(const std::string& folder, const std::string& fileName, ItemTree& tree);
    void WritePublishReport(const std::string& folder, const std::string& reportFileName);
    static std::string PublishBaseName(const std::string& fileName);

    // ---- where files go ----
    const std::string ProgramFolder;
    // Folder for relative scratch names (an empty folder argument); "" means the working folder.
    std::string ScratchFolder;
    // Per-user cache of encoded slide images; "" turns the cache off.
    std::string ImageCacheFolder;

    ItemTree& Tree() const { return tree_; }
    Progress& progress() const { return progress_; }
    MessageSink& messages() const { return messages_; }

private:
    ItemTree& tree_;
    Progress& progress_;
    MessageSink& messages_;
};

}  // namespace lumivex
