// The pictures a run makes of one input's images, bounded in work: each stored
// image decoded once however many groups name it, each brought to a size once,
// and every pixel decoded, made or handed out counted against a budget (caps.h:
// pixelBudgetOf()), past which the input gives no more pictures.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>

#include "platform/caps.h"
#include "platform/failure.h"
#include "platform/icon.h"
#include "platform/icon_set.h"

namespace pellimar {

class PictureWork {
  public:
    // `budget`: the pixels the input may make decoded and made; `budgetName` how a
    // person is told of it ("of one input").
    explicit PictureWork(std::uint64_t budget = kMinPixelBudget,
                         std::string budgetName = "of one input");

    // Image `image` of the input decoded at its own size: from what was decoded
    // before when it was. Fault::CapReached at Cap::PixelsPerInput once the
    // budget is spent.
    Result<Icon> decoded(const StoredImage& image);
    // The same brought to size x size (an image of that size as decoded).
    Result<Icon> atSize(const StoredImage& image, int size);

    // Whether the budget is spent: every picture asked for now fails.
    bool spent() const { return counted_ >= budget_; }
    // Why no more pictures are made.
    Failure budgetFailure() const;
    std::uint64_t pixelsCounted() const { return counted_; }

  private:
    // A stored image is known by where it lies in its input.
    using Key = std::tuple<std::uint64_t, std::uint64_t, int>;  // offset, length, size (0: own)
    void keep(const Key& key, const std::shared_ptr<const Result<Icon>>& picture);

    std::uint64_t budget_;
    std::string budgetName_;
    std::uint64_t counted_ = 0;
    std::uint64_t keptBytes_ = 0;
    std::map<Key, std::shared_ptr<const Result<Icon>>> kept_;
};

}  // namespace pellimar
