// Slide images: each item's original scaled into the slideshow box, named after the item's
// position and placed in the preview folder. The pictures are independent, so they are decoded
// and encoded on worker threads, but every visible effect (captions, item fields, files,
// PreviewCopies, the error raised) is committed here in item order, exactly as one pass would.

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

#include "AppletAgent.h"
#include "EngineErrors.h"
#include "FileIO.h"
#include "Text.h"
#include "UsableCores.h"
#include "image/SlideImageCache.h"
#include "image/SlidePicture.h"

namespace lumivex {

namespace {

using image::SlidePicture;

struct Job {
    std::size_t node = 0;  // position among the item nodes
    std::string path;
    SlidePicture picture;
    std::exception_ptr error;
    bool done = false;
};

SlidePicture makePicture(const image::SlideImageCache& cache, const std::string& path, int width,
                         int height, image::Rgb background) {
    const image::PictureKind kind = image::KindForPath(path);
    const std::string key = cache.KeyFor(path, width, height, kind, background);
    if (auto cached = cache.Find(key))
        return std::move(*cached);
    SlidePicture picture = image::MakeSlidePicture(path, width, height, background);
    cache.Store(key, picture);
    return picture;
}

// Runs the jobs on up to two workers, never more than a few jobs ahead of the one being
// committed, and stops starting jobs past the first one that failed.
class JobRunner {
public:
    JobRunner(std::vector<Job>& jobs, const image::SlideImageCache& cache, int width, int height,
              image::Rgb background)
        : jobs_(jobs), cache_(cache), width_(width), height_(height), background_(background) {
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
            jobs_[j].picture = SlidePicture();
        }
        changed_.notify_all();
    }

private:
    void run(Job& job) {
        try {
            job.picture = makePicture(cache_, job.path, width_, height_, background_);
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
                    return stopping_ || next_ >= jobs_.size() || next_ > failedAt_ ||
                           next_ < committed_ + window_;
                });
                if (stopping_ || next_ >= jobs_.size() || next_ > failedAt_)
                    return;
                j = next_++;
            }
            Job result;
            result.path = jobs_[j].path;
            run(result);
            {
                std::lock_guard lock(mutex_);
                jobs_[j].picture = std::move(result.picture);
                jobs_[j].error = result.error;
                jobs_[j].done = true;
                if (result.error)
                    failedAt_ = std::min(failedAt_, j);
            }
            changed_.notify_all();
        }
    }

    std::vector<Job>& jobs_;
    const image::SlideImageCache& cache_;
    const int width_, height_;
    const image::Rgb background_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    std::size_t committed_ = 0;
    std::size_t window_ = 0;
    std::size_t failedAt_ = static_cast<std::size_t>(-1);
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
    std::vector<std::size_t> jobOfNode(nodes.size(), static_cast<std::size_t>(-1));
    for (std::size_t k = 0; k < nodes.size() && k < Items.size(); ++k) {
        std::string path = Trim(Items[k].OriginalImagePath);
        if (!FileExists(path))
            continue;
        jobOfNode[k] = jobs.size();
        Job job;
        job.node = k;
        job.path = std::move(path);
        jobs.push_back(std::move(job));
    }

    const image::SlideImageCache cache(ImageCacheFolder);
    {
        JobRunner runner(jobs, cache, width, height, background);
        for (std::size_t k = 0; k < nodes.size(); ++k) {
            if (jobOfNode[k] == static_cast<std::size_t>(-1))
                continue;
            Job& job = runner.take(jobOfNode[k]);
            if (job.error)
                std::rethrow_exception(job.error);
            TItemData& item = Items[k];
            item.ImageWidth = IntToStr(job.picture.size.width);
            item.ImageHeight = IntToStr(job.picture.size.height);
            item.SlideImageFile = "slider" + IntToStr(static_cast<long long>(k)) +
                                  image::ExtensionOf(job.picture.kind);
            PlaceSlideImage(item.SlideImageFile, job.picture.encoded);
            if (made != nullptr)
                made->emplace_back(item.SlideImageFile, std::move(job.picture.encoded));
            runner.committed(jobOfNode[k]);
        }
    }
    // The workers are done: keep the cache within its limit, sparing this build's entries.
    cache.Trim();
}

void TzqxAppletAgent::PlaceSlideImage(const std::string& name, const std::string& bytes) {
    // The picture goes straight into the preview folder, atomically, which ends the same way as
    // writing it into the program folder and moving it there, without the extra copy.
    const std::string folder = PreviewFolder();
    if (!FolderExists(folder))
        CreateFolderQuietly(folder);
    try {
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
