#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "AppletData.h"
#include "ItemTree.h"
#include "Progress.h"
#include "ProjectOptions.h"
#include "image/FocalPoint.h"
#include "image/SlidePicture.h"

namespace lumivex {

// The texts of one build, and the slide images it encoded (name, bytes) in item order.
struct GeneratedCode {
    std::string styleSheet;
    std::string configScript;
    std::string page;
    std::vector<std::pair<std::string, std::string>> slides;
};

// The extra files the modern web output made for one item's slide (see MakeModernSlide); the
// names follow from the slide's (runtime::WidthName, runtime::AvifName).
struct SlideExtras {
    struct Width {
        int tenths = 0;  // the multiple of the slide, in tenths
        int width = 0;   // in pixels
        bool avif = false;
    };
    std::vector<Width> widths;  // the other widths written, smallest first
    bool avif = false;          // the slide's own AVIF
    // Where the slide's focal point lies in it, when a filled slide or a zoom needs it.
    std::optional<image::FocalPoint> focus;
};

// A slide the preview kept as it was staged before, its picture not yet in the image cache.
struct PendingSlide {
    std::string path;
    int width = 0;
    int height = 0;
    image::Rgb background;
    bool modern = false;
    image::Framing framing;
    std::size_t item = 0;  // its place among the items
    friend bool operator==(const PendingSlide&, const PendingSlide&) = default;
};

// Makes the pictures of `slides` into the image cache in `cacheFolder`, on up to two threads,
// until `stop` is set; a picture that cannot be made is left out. Modern slides get their
// classic picture first, which a build for the preview shows until the rest is made. `shown`
// is called, on a making thread, when the slide listed first (the one on view) has its classic
// picture, when all have, and when it has its modern one.
void MakePendingSlides(const std::vector<PendingSlide>& slides, const std::string& cacheFolder,
                       const std::atomic<bool>& stop, const std::function<void()>& shown = {});

// How far a project file was read (LoadFromFile).
enum class ProjectReadOutcome {
    Complete,     // up to "</Item_Parameters>"
    Refused,      // another product's file; its message has been shown
    NotAProject,  // empty, no project header, or sections out of place
    Incomplete,   // a project that ends before "</Item_Parameters>"
};

struct ProjectRead {
    ProjectReadOutcome outcome = ProjectReadOutcome::Complete;
    std::string problem;  // for NotAProject and Incomplete: what is wrong, in a sentence
};

// The largest project file and the most items the reader takes; larger files are refused
// before anything is read into the model.
inline constexpr std::size_t kMaxProjectFileBytes = 64u << 20;
inline constexpr std::size_t kMaxProjectItems = 200'000;
// Reads a project or menu structure file within those limits; raises FileError otherwise.
std::string ReadItemListFile(const std::string& path);

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
    ProjectOptions Options;
    TItemArray Items;
    TLinkedFileInfoArray LinkedFiles;
    TStringArray PreviewCopies;
    TStringArray ResourceFiles;
    // For the modern web output, by item index, filled by PrepareSlideImages; empty otherwise.
    std::vector<SlideExtras> SlideExtraFiles;
    // Of the last build: one line for each item whose photo is gone with no published slide to
    // stand for it, so that it has no slide.
    std::vector<std::string> MissingSlides;
    // For the preview only, never a publish: a slide whose picture is not in the image cache but
    // was staged before at its place keeps that file (the page shows it scaled), or a modern one
    // shows its classic picture when the cache has that, and is listed in PendingSlides, so that
    // a change of the box or a new photo never waits for the encoder.
    bool DeferUncachedSlides = false;
    // With DeferUncachedSlides, a slide of which the cache has no picture at all is made at once
    // only when it is the first or this one (the item on view, or -1); the others are pending,
    // named but without a file, so that the page shows before all the photos are read.
    int SlideOnView = -1;
    // With DeferUncachedSlides, the slides a maker is making: each keeps what was staged for it
    // (or its place without a file), whatever the cache has meanwhile.
    std::vector<PendingSlide> SlidesBeingMade;
    std::vector<PendingSlide> PendingSlides;
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
    // A node's subtree as DeleteSubtree removes it, and RestoreSubtree, which puts it back in
    // the same place (undo of a deletion) or puts items anywhere (new photos, a move). Several
    // subtrees may follow each other: every entry of depth 0 starts one.
    struct Subtree {
        int parentIndex = 0;      // absolute index of the parent node
        int position = 0;         // among the parent's children
        TItemArray items;         // in walk order, each subtree's root first
        std::vector<int> depths;  // below the parent's children, which are 0
    };
    Subtree TakeSubtreeCopy(ItemTree::Node node) const;
    // Returns the node of the first item; the items' levels follow their new place.
    ItemTree::Node RestoreSubtree(const Subtree& subtree);
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
    // The file SaveToFile writes, with its progress display.
    std::string ProjectFileText();
    // Replaces the model as far as the file is read (settings once their line is read, items
    // once their section begins) and rebuilds the tree. Raises FileError for a file that cannot
    // be read, is no regular file or is larger than kMaxProjectFileBytes, and EngineError for
    // more than kMaxProjectItems items, in each case before the model changes.
    ProjectRead LoadFromFile(const std::string& path, ItemTree& tree);
    static std::string ExtractField(const std::string& line, int n, const std::string& separator);

    // ---- menu structure file ----
    void ExportMenuStructure(const std::string& path);
    void ImportMenuStructure(const std::string& path, ItemTree& tree);
    // The name the export command writes to: ".gms" appended unless already there (any case).
    static std::string MenuStructureFileName(const std::string& chosen);

    // ---- code generation ----
    void GenerateCode(const std::string& pagePath);
    // GenerateCode without writing: checks the id and the settings, prepares the items and the
    // slide images, names the style sheet and the script, and returns the three texts.
    GeneratedCode PrepareGeneratedCode();
    void PrepareItemsForOutput();

    // ---- preview folder and slide images ----
    std::string PreviewFolder() const { return ProgramFolder + "preview/"; }
    void CopyToPreview(const std::string& path);
    void ClearPreviewFolder();
    void CopyLinkedFilesToPreview(const std::string& folder);
    void CollectResourceFiles();
    void CopyResourceFilesToPreview(const std::string& folder);
    // `made`, when given, receives each slide image written (name, bytes) in item order.
    void PrepareSlideImages(std::vector<std::pair<std::string, std::string>>* made = nullptr);
    // Puts one encoded slide image into the preview folder under `name` and lists it in
    // PreviewCopies, leaving no copy in the program folder.
    void PlaceSlideImage(const std::string& name, const std::string& bytes);

    // ---- publishing ----
    bool SaveAndPublish(const std::string& folder, const std::string& fileName, ItemTree& tree);
    // The build step of a publish. When it fails, or leaves an item without its slide, the
    // items keep what they had, the project file is written all the same, and
    // NotPublishedError says why nothing was published.
    GeneratedCode PrepareCodeToPublish(const std::string& projectFile);
    void WritePublishReport(const std::string& folder, const std::string& reportFileName);
    // The report WritePublishReport writes, with its progress display.
    std::string PublishReportText();
    static std::string PublishBaseName(const std::string& fileName);

    // ---- where files go ----
    const std::string ProgramFolder;
    // Folder for relative scratch names (an empty folder argument); "" means the working folder.
    std::string ScratchFolder;
    // Per-user cache of encoded slide images; "" turns the cache off.
    std::string ImageCacheFolder;
    // Where publish records are kept (see PublishRecord), with a trailing "/"; "" keeps none.
    std::string PublishRecordsFolder;

    ItemTree& Tree() const { return tree_; }
    Progress& progress() const { return progress_; }
    MessageSink& messages() const { return messages_; }

    // Why a copy into the preview folder failed to be written, by file name; a publish that needs
    // the file raises it.
    const std::map<std::string, std::string>& PreviewCopyFailures() const {
        return previewCopyFailures_;
    }

private:
    std::map<std::string, std::string> previewCopyFailures_;
    ItemTree& tree_;
    Progress& progress_;
    MessageSink& messages_;
};

}  // namespace lumivex
