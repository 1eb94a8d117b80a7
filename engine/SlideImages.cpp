// Slide images: each item's original scaled into the slideshow box, named after the item's
// position and placed in the preview folder. The pictures are independent, so they are decoded
// and encoded on worker threads, but every visible effect (captions, item fields, files,
// PreviewCopies, the error raised) is committed here in item order, exactly as one pass would.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "RuntimeContract.h"
#include "Text.h"
#include "UsableCores.h"
#include "image/SlideImageCache.h"
#include "image/SlidePicture.h"

namespace lumivex {

namespace {

using image::ModernSlide;
using image::SlidePicture;

struct Job {
    std::size_t node = 0;  // position among the item nodes
    std::string path;
    image::Framing framing;
    ModernSlide slide;  // only its picture in the classic output
    // For the preview: the classic picture of a modern slide, shown until that is made.
    bool classicOnly = false;
    std::exception_ptr error;
    bool done = false;
};

// A modern or framed slide's files as one cache entry: the slide's picture, whose bytes begin
// with a line "tenths", the slide's focal point in millionths (-1 -1 without one), the length of
// its AVIF and, for each other width, its tenths, size and the lengths of its JPEG and AVIF; the
// files follow in that order. Integers only: the locale does not change how they are written.
// Entries of the older layout are under other keys (kPacking), and are never read as this one.
constexpr std::string_view kPacking = "tenths";

SlidePicture Packed(const ModernSlide& slide) {
    SlidePicture packed = slide.picture;
    const auto& focus = slide.picture.focus;
    std::string head(kPacking);
    auto add = [&](long long v) { head += " " + IntToStr(v); };
    add(focus ? std::lround(focus->x * 1e6) : -1);
    add(focus ? std::lround(focus->y * 1e6) : -1);
    add(static_cast<long long>(slide.avif.size()));
    for (const image::SlideWidth& w : slide.widths) {
        add(w.tenths);
        add(w.size.width);
        add(w.size.height);
        add(static_cast<long long>(w.jpeg.size()));
        add(static_cast<long long>(w.avif.size()));
    }
    packed.encoded = head + "\n" + slide.picture.encoded + slide.avif;
    for (const image::SlideWidth& w : slide.widths)
        packed.encoded += w.jpeg + w.avif;
    return packed;
}

std::optional<ModernSlide> Unpacked(SlidePicture packed) {
    const std::string& bytes = packed.encoded;
    const std::size_t headEnd = bytes.find('\n');
    if (headEnd == std::string::npos || bytes.compare(0, kPacking.size(), kPacking) != 0)
        return std::nullopt;
    std::vector<long long> fields;
    for (const char* at = bytes.data() + kPacking.size(); at < bytes.data() + headEnd;) {
        if (*at++ != ' ')
            return std::nullopt;
        long long v = 0;
        const auto [end, ec] = std::from_chars(at, bytes.data() + headEnd, v);
        if (ec != std::errc() || v < -1)
            return std::nullopt;
        fields.push_back(v);
        at = end;
    }
    if (fields.size() < 3 || (fields.size() - 3) % 5 != 0)
        return std::nullopt;
    std::size_t extra = 0;
    for (std::size_t i = 2; i < fields.size(); ++i) {
        const bool length = i == 2 || (i - 3) % 5 >= 3;
        if (fields[i] < 0 || (length && static_cast<std::size_t>(fields[i]) > bytes.size()))
            return std::nullopt;
        if (length)
            extra += static_cast<std::size_t>(fields[i]);
    }
    if (extra > bytes.size() - headEnd - 1)
        return std::nullopt;
    std::size_t at = headEnd + 1;
    auto take = [&](std::size_t n) {
        std::string part = bytes.substr(at, n);
        at += n;
        return part;
    };
    ModernSlide slide;
    slide.picture.kind = packed.kind;
    slide.picture.size = packed.size;
    slide.picture.encoded = take(bytes.size() - at - extra);
    slide.avif = take(static_cast<std::size_t>(fields[2]));
    for (std::size_t i = 3; i < fields.size(); i += 5) {
        if (std::find(std::begin(image::kOtherWidths), std::end(image::kOtherWidths), fields[i]) ==
                std::end(image::kOtherWidths) ||
            fields[i + 1] < 1 || fields[i + 2] < 1 || fields[i + 1] > INT32_MAX ||
            fields[i + 2] > INT32_MAX)
            return std::nullopt;
        image::SlideWidth w;
        w.tenths = static_cast<int>(fields[i]);
        w.size = image::Size{static_cast<int>(fields[i + 1]), static_cast<int>(fields[i + 2])};
        w.jpeg = take(static_cast<std::size_t>(fields[i + 3]));
        w.avif = take(static_cast<std::size_t>(fields[i + 4]));
        slide.widths.push_back(std::move(w));
    }
    if (fields[0] >= 0 && fields[1] >= 0)
        slide.picture.focus = image::FocalPoint{static_cast<double>(fields[0]) / 1e6,
                                                static_cast<double>(fields[1]) / 1e6};
    return slide;
}

// What tells one framing's slides from another's in the cache.
std::string FramingKey(const image::Framing& framing) {
    return std::string(kPacking) + (framing.fill ? " fill " : " fit ") +
           (framing.focus ? image::FocalPointText(*framing.focus)
                          : std::string(image::kFocalPointVersion)) +
           (framing.wantFocus ? " focus" : "");
}

// Where makeSlide keeps the slide in the cache.
std::string slideKey(const image::SlideImageCache& cache, const std::string& path, int width,
                     int height, image::Rgb background, bool modern,
                     const image::Framing& framing) {
    const image::PictureKind kind = image::KindForPath(path);
    if (!framing.plain())
        return cache.KeyFor(path, width, height, kind, background,
                            (modern ? "modern " : "") + FramingKey(framing));
    if (!modern)
        return cache.KeyFor(path, width, height, kind, background);
    return cache.KeyFor(path, width, height, kind, background, "modern " + std::string(kPacking));
}

// The slide as the cache has it, if it does.
std::optional<ModernSlide> cachedSlide(const image::SlideImageCache& cache, const std::string& key,
                                       bool packed) {
    auto cached = cache.Find(key);
    if (!cached)
        return std::nullopt;
    if (packed)
        return Unpacked(std::move(*cached));
    ModernSlide slide;
    slide.picture = std::move(*cached);
    return slide;
}

ModernSlide makeSlide(const image::SlideImageCache& cache, const std::string& path, int width,
                      int height, image::Rgb background, bool modern, const image::Framing& framing,
                      const std::atomic<bool>* stop = nullptr) {
    const std::string key = slideKey(cache, path, width, height, background, modern, framing);
    // Only a classic slide without framing is a bare picture in the cache.
    const bool packed = modern || !framing.plain();
    if (auto slide = cachedSlide(cache, key, packed))
        return std::move(*slide);
    ModernSlide slide;
    if (modern)
        slide = image::MakeModernSlide(path, width, height, background, {}, framing, stop);
    else
        slide.picture = image::MakeSlidePicture(path, width, height, background, {}, framing);
    cache.Store(key, packed ? Packed(slide) : slide.picture);
    return slide;
}

// Runs the jobs on up to two workers, never more than a few jobs ahead of the one being
// committed. A job that fails does not stop the others: every photo that cannot be read is
// named at once.
class JobRunner {
public:
    JobRunner(std::vector<Job>& jobs, const image::SlideImageCache& cache, int width, int height,
              image::Rgb background, bool modern)
        : jobs_(jobs),
          cache_(cache),
          width_(width),
          height_(height),
          background_(background),
          modern_(modern) {
        const unsigned cores = UsableCores();
        const std::size_t workers = std::min<std::size_t>({2, cores, jobs_.size()});
        if (workers < 2)
            return;  // one picture, or one core: done on the calling thread
        window_ = workers * 2;
        for (std::size_t i = 0; i < workers; ++i)
            threads_.emplace_back([this] { work(); });
    }

    ~JobRunner() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

    JobRunner(const JobRunner&) = delete;
    JobRunner& operator=(const JobRunner&) = delete;

    // Waits for job j (or runs it here when there are no workers); called for j = 0, 1, ...
    Job& take(std::size_t j) {
        if (threads_.empty()) {
            run(jobs_[j]);
            return jobs_[j];
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return jobs_[j].done; });
        return jobs_[j];
    }

    void committed(std::size_t j) {
        if (threads_.empty())
            return;
        {
            std::lock_guard lock(mutex_);
            committed_ = j + 1;
            jobs_[j].slide = ModernSlide();
        }
        changed_.notify_all();
    }

private:
    void run(Job& job) {
        try {
            job.slide = makeSlide(cache_, job.path, width_, height_, background_,
                                  modern_ && !job.classicOnly, job.framing);
        } catch (...) {
            job.error = std::current_exception();
        }
    }

    void work() {
        while (true) {
            std::size_t j = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] {
                    return stopping_ || next_ >= jobs_.size() || next_ < committed_ + window_;
                });
                if (stopping_ || next_ >= jobs_.size())
                    return;
                j = next_++;
            }
            Job result;
            result.path = jobs_[j].path;
            result.framing = jobs_[j].framing;
            result.classicOnly = jobs_[j].classicOnly;
            run(result);
            {
                std::lock_guard lock(mutex_);
                jobs_[j].slide = std::move(result.slide);
                jobs_[j].error = result.error;
                jobs_[j].done = true;
            }
            changed_.notify_all();
        }
    }

    std::vector<Job>& jobs_;
    const image::SlideImageCache& cache_;
    const int width_, height_;
    const image::Rgb background_;
    const bool modern_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    std::size_t committed_ = 0;
    std::size_t window_ = 0;
    bool stopping_ = false;
};

}  // namespace

void TzqxAppletAgent::PrepareSlideImages(std::vector<std::pair<std::string, std::string>>* made) {
    // Conversion errors of the box come first, even for a project without items.
    const int width = StrToInt(AppletData.SlideShowWidth);
    const int height = StrToInt(AppletData.SlideShowHeight);
    const image::Rgb background = image::BackgroundColour(AppletData.SlideShowBackgroundColor);
    const std::vector<ItemTree::Node> nodes = tree_.itemNodes();

    std::vector<Job> jobs;
    constexpr std::size_t kNoJob = static_cast<std::size_t>(-1);
    std::vector<std::size_t> jobOfNode(nodes.size(), kNoJob);
    // An item whose photo is gone keeps the slide it was published with, which an open brought
    // into the preview folder; read now, since this build may write another slide under its name.
    std::vector<std::optional<std::string>> keptSlide(nodes.size());
    MissingSlides.clear();
    PendingSlides.clear();
    std::vector<bool> deferred(nodes.size(), false);
    std::vector<bool> unmade(nodes.size(), false);  // deferred, with no file yet
    const bool fill = Options.fillSlides();
    const bool zoom = Options.transition() == "Zoom";
    const bool modern = Options.modernWebOutput();
    const image::SlideImageCache cache(ImageCacheFolder);
    const auto cached = [&](const Job& job, bool modernSlide) {
        try {
            return cache.Has(
                slideKey(cache, job.path, width, height, background, modernSlide, job.framing));
        } catch (const std::exception&) {
            return false;  // the job says why
        }
    };
    const auto stagedAtItsPlace = [&](std::size_t k) {
        const std::string& staged = Items[k].SlideImageFile;
        return DeferUncachedSlides && !ImageCacheFolder.empty() &&
               staged.starts_with("slider" + IntToStr(static_cast<long long>(k)) + ".") &&
               FileExists(PreviewFolder() + staged);
    };
    // By place, since every edit asks this of every slide.
    std::vector<const PendingSlide*> madeAt(DeferUncachedSlides ? nodes.size() : 0, nullptr);
    for (const PendingSlide& slide : SlidesBeingMade)
        if (slide.item < madeAt.size())
            madeAt[slide.item] = &slide;
    const auto beingMade = [&](const PendingSlide& slide) {
        return slide.item < madeAt.size() && madeAt[slide.item] != nullptr &&
               *madeAt[slide.item] == slide;
    };
    for (std::size_t k = 0; k < nodes.size() && k < Items.size(); ++k) {
        std::string path = Trim(Items[k].OriginalImagePath);
        if (FileExists(path)) {
            jobOfNode[k] = jobs.size();
            Job job;
            job.node = k;
            job.path = std::move(path);
            if (fill || zoom) {
                job.framing.fill = fill;
                job.framing.wantFocus = zoom;
                job.framing.focus = image::ParseFocalPoint(Items[k].Reserved6);
            }
            const PendingSlide pending{job.path, width, height, background, modern, job.framing, k};
            // Staged before at its place, and not to be had from the cache now, or being made
            // behind: what is made shows when the maker says so, not piecemeal with each edit.
            const bool making = beingMade(pending);
            const bool staged = stagedAtItsPlace(k) && (making || !cached(job, modern));
            // For the preview, a modern slide the cache lacks shows its classic picture, which
            // is quick to make (now, when nothing was staged for it) or already made, until the
            // modern one is made behind.
            const bool standIn = DeferUncachedSlides && modern && !ImageCacheFolder.empty() &&
                                 !(making && staged) &&
                                 (staged ? cached(job, false) : !cached(job, true));
            const bool onView = k == 0 || static_cast<int>(k) == SlideOnView;
            const bool later = DeferUncachedSlides && !ImageCacheFolder.empty() && !staged &&
                               !onView && (making || (!cached(job, false) && (!modern || standIn)));
            if (staged || standIn || later)
                PendingSlides.push_back(pending);
            if (later) {
                Items[k].SlideImageFile = "slider" + IntToStr(static_cast<long long>(k)) +
                                          image::ExtensionOf(image::KindForPath(job.path));
                unmade[k] = true;
                // Not the picture of another item that had this place.
                DeleteFileQuietly(PreviewFolder() + Items[k].SlideImageFile);
            }
            if ((staged && !standIn) || later) {
                jobOfNode[k] = kNoJob;
                deferred[k] = true;
                continue;
            }
            job.classicOnly = standIn;
            jobs.push_back(std::move(job));
            continue;
        }
        const std::string& slide = Items[k].SlideImageFile;
        if (IsPlainFileName(slide) && FileExists(PreviewFolder() + slide)) {
            keptSlide[k] = ReadWholeFile(PreviewFolder() + slide);
        } else if (!path.empty() && PreviewCopyFailures().count(slide) == 0) {
            // (A slide that could not be copied here fails the publish with its own reason.)
            MissingSlides.push_back("\"" + path + "\": the photo is missing, and there is no " +
                                    "published slide of it in the project's folder");
        }
    }

    std::vector<SlideExtras> staged = std::move(SlideExtraFiles);
    SlideExtraFiles.assign(modern || fill || zoom ? Items.size() : 0, SlideExtras{});
    // A kept slide keeps the files it was staged with.
    for (std::size_t k = 0; k < SlideExtraFiles.size() && k < staged.size(); ++k) {
        if (k < deferred.size() && deferred[k] && !unmade[k])
            SlideExtraFiles[k] = std::move(staged[k]);
    }
    std::vector<std::string> unreadable;
    auto place = [&](const std::string& name, std::string& bytes) {
        PlaceSlideImage(name, bytes);
        if (made != nullptr)
            made->emplace_back(name, std::move(bytes));
    };
    {
        JobRunner runner(jobs, cache, width, height, background, modern);
        const std::string ofAll = " of " + IntToStr(static_cast<long long>(jobs.size()));
        progress_.setMaximum(static_cast<int>(jobs.size()));
        int done = 0;
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            if (progress_.stopRequested())
                throw PublishCancelledError();
            TItemData& item = Items[k];
            if (keptSlide[k]) {
                // Named for its place now, as every slide is.
                // Under its own name, unless a slide made now takes that name (the item moved):
                // then under the name of its own place, which no other slide has.
                const std::string old = item.SlideImageFile;
                const std::size_t dot = old.rfind('.');
                const std::string stem = old.substr(0, dot);
                const bool taken = stem.starts_with("slider") && stem.size() > 6 &&
                                   stem.find_first_not_of("0123456789", 6) == std::string::npos &&
                                   stem.size() < 16 &&
                                   std::stoull(stem.substr(6)) < jobOfNode.size() &&
                                   (jobOfNode[std::stoull(stem.substr(6))] != kNoJob ||
                                    deferred[std::stoull(stem.substr(6))]);
                if (taken) {
                    item.SlideImageFile = "slider" + IntToStr(static_cast<long long>(k)) +
                                          (dot == std::string::npos ? "" : old.substr(dot));
                    place(item.SlideImageFile, *keptSlide[k]);
                }
                continue;
            }
            if (jobOfNode[k] == kNoJob)
                continue;
            Job& job = runner.take(jobOfNode[k]);
            progress_.setPosition(++done);
            progress_.setHint("slide " + IntToStr(done) + ofAll);
            if (job.error) {
                try {
                    std::rethrow_exception(job.error);
                } catch (const InvalidProjectError&) {
                    throw;  // the box, not the photo
                } catch (const std::exception& e) {
                    unreadable.push_back(e.what());
                }
                runner.committed(jobOfNode[k]);
                continue;
            }
            ModernSlide& slide = job.slide;
            item.ImageWidth = IntToStr(slide.picture.size.width);
            item.ImageHeight = IntToStr(slide.picture.size.height);
            item.SlideImageFile = "slider" + IntToStr(static_cast<long long>(k)) +
                                  image::ExtensionOf(slide.picture.kind);
            place(item.SlideImageFile, slide.picture.encoded);
            if (k < SlideExtraFiles.size())
                SlideExtraFiles[k].focus = slide.picture.focus;
            if (modern) {
                SlideExtras& extras = SlideExtraFiles[k];
                if (!slide.avif.empty()) {
                    extras.avif = true;
                    place(runtime::AvifName(item.SlideImageFile), slide.avif);
                }
                for (image::SlideWidth& w : slide.widths) {
                    const std::string name = runtime::WidthName(item.SlideImageFile, w.tenths);
                    extras.widths.push_back(
                        SlideExtras::Width{w.tenths, w.size.width, !w.avif.empty()});
                    place(name, w.jpeg);
                    if (!w.avif.empty())
                        place(runtime::AvifName(name), w.avif);
                }
            }
            runner.committed(jobOfNode[k]);
        }
    }
    // The workers are done: keep the cache within its limit, sparing this build's entries.
    cache.Trim();
    if (!unreadable.empty())
        throw SlidesNotMadeError(std::move(unreadable));
}

void MakePendingSlides(const std::vector<PendingSlide>& slides, const std::string& cacheFolder,
                       const std::atomic<bool>& stop, const std::function<void()>& shown) {
    const image::SlideImageCache cache(cacheFolder);
    const auto tell = [&] {
        if (!stop && shown)
            shown();
    };
    // Quick: only the classic pictures of the modern slides, a fraction of the work of theirs.
    const auto makeAll = [&](bool quick) {
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t k = next++; k < slides.size() && !stop; k = next++) {
                const PendingSlide& s = slides[k];
                if (quick && !s.modern)
                    continue;
                try {
                    makeSlide(cache, s.path, s.width, s.height, s.background, s.modern && !quick,
                              s.framing, &stop);
                } catch (const std::exception&) {
                    // The next build makes it in the open and says why it cannot.
                }
                if (k == 0 && slides.size() > 1)
                    tell();
            }
        };
        std::vector<std::thread> helpers;
        for (unsigned i = 1; i < std::min(2u, UsableCores()) && slides.size() > 1; ++i)
            helpers.emplace_back(work);
        work();
        for (std::thread& t : helpers)
            t.join();
    };
    if (std::any_of(slides.begin(), slides.end(), [](const PendingSlide& s) { return s.modern; })) {
        makeAll(true);
        tell();
    }
    makeAll(false);
    // Trimmed by the next build, which knows what it uses.
}

namespace {

bool HoldsBytes(const std::string& path, const std::string& bytes) {
    std::error_code error;
    if (std::filesystem::file_size(path, error) != bytes.size() || error)
        return false;
    try {
        return ReadWholeFile(path) == bytes;
    } catch (const FileError&) {
        return false;
    }
}

}  // namespace

void TzqxAppletAgent::PlaceSlideImage(const std::string& name, const std::string& bytes) {
    // The picture goes straight into the preview folder, atomically, which ends the same way as
    // writing it into the program folder and moving it there, without the extra copy.
    const std::string folder = PreviewFolder();
    if (!FolderExists(folder))
        CreateFolderQuietly(folder);
    try {
        // A preview staged again after a text edit finds most pictures there as they are.
        if (!HoldsBytes(folder + name, bytes))
            WriteFileAtomically(folder + name, bytes);
    } catch (const FileError&) {
        // No usable preview folder: take the long road, whose write reports its failure and
        // whose copy into the preview folder fails silently.
        WriteFileAtomically(ProgramFolder + name, bytes);
        CopyToPreview(ProgramFolder + name);
        DeleteFileQuietly(ProgramFolder + name);
        return;
    }
    PreviewCopies.push_back(name);
    DeleteFileQuietly(ProgramFolder + name);
}

}  // namespace lumivex
