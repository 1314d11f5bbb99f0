#pragma once

#include "OriginalPage.h"

#include <memory>
#include <opencv2/core.hpp>

// One state of a page in its undo or redo list: either pixels held in memory
// (an interactive edit) or the page's original file kept by a batch run, which
// is decoded only when the operator steps back to it.
class HistoryEntry
{
public:
    HistoryEntry() = default;
    // Takes a deep copy, so later edits of the caller's matrix never reach the history.
    explicit HistoryEntry(const cv::Mat& image) : m_image(image.clone()) {}
    explicit HistoryEntry(std::shared_ptr<const OriginalPage> original)
        : m_original(std::move(original))
    {
    }

    bool isNull() const { return m_image.empty() && !m_original; }
    // The state's pixels; empty when a kept original can no longer be read.
    cv::Mat pixels() const { return m_original ? m_original->pixels() : m_image; }
    // The original file, when this state is one.
    const OriginalPage* original() const { return m_original.get(); }

private:
    cv::Mat m_image;
    std::shared_ptr<const OriginalPage> m_original;
};
