#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavolin::drop {

// Drop effects in the drag-and-drop services' values.
namespace effect {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kCopy = 1;
inline constexpr std::uint32_t kMove = 2;
inline constexpr std::uint32_t kLink = 4;
inline constexpr std::uint32_t kScroll = 0x80000000u;
} // namespace effect

// The effects a target accepts.
enum class TDragType { dtCopy, dtMove, dtLink };
class TDragTypes {
public:
    TDragTypes() = default;
    TDragTypes(std::initializer_list<TDragType> types) {
        for (TDragType t : types) // kCopy, kMove and kLink are the bits in the enum's order
            m_bits |= effect::kCopy << static_cast<unsigned>(t);
    }
    // The effect bits of the types in the set.
    std::uint32_t Effects() const { return m_bits; }

private:
    std::uint32_t m_bits = 0;
};

// Keys and mouse buttons held during a drag.
namespace shift {
inline constexpr unsigned kShift = 1;
inline constexpr unsigned kAlt = 2;
inline constexpr unsigned kCtrl = 4;
inline constexpr unsigned kLeft = 8;
inline constexpr unsigned kRight = 16;
inline constexpr unsigned kMiddle = 32;
} // namespace shift
using TShiftState = unsigned;

struct DropPoint {
    int x = 0;
    int y = 0;
};

// The dragged data as the drag-and-drop service offers it.
class DropData {
public:
    virtual ~DropData() = default;
    // Whether the data can give a list of files.
    virtual bool HasFileList() const = 0;
    // The full paths of the files, in the source's order; nothing when they cannot be read.
    virtual std::optional<std::vector<std::string>> FileList() const = 0;
    // The names the source wants items offered under temporary names to carry.
    virtual std::vector<std::string> MappedNames() const { return {}; }
};

// The window a target serves, as far as auto-scrolling needs it; noted when a drag enters.
struct ScrollableWindow {
    bool horizontalBar = false;
    bool verticalBar = false;
    int margin = 0; // pixels from an edge that scroll: the window font's height
    int width = 0;
    int height = 0;
};

// Lines to scroll for one tick of the scroll timer: -1 up or left, 1 down or right.
struct ScrollStep {
    int horizontal = 0;
    int vertical = 0;
};

// A drop target for one window: follows a drag, chooses the effect the cursor shows and
// reports each stage through its events; an adapter feeds it the service's calls. Data without
// a usable format is refused with effect none and raises no event for that drag.
class TDropTarget {
public:
    using TDropTargetEvent =
        std::function<void(TShiftState shiftState, DropPoint point, std::uint32_t& effect)>;

    virtual ~TDropTarget() = default;

    TDragTypes Dragtypes;        // the effects the target accepts; none by default
    bool GetDataOnEnter = false; // read the data when the drag enters, not only at the drop
    // Show the source's drag image (for the adapter to honour where it can).
    bool ShowImage = true;
    TDropTargetEvent OnEnter, OnDragOver, OnDrop;
    std::function<void()> OnLeave;
    TDropTargetEvent OnGetDropEffect; // replaces the built-in effect choice when set

    // The service's four calls, with the effects the source allows; each answers the effect.
    std::uint32_t DragEnter(std::shared_ptr<const DropData> data, TShiftState shiftState,
                            DropPoint point, std::uint32_t allowed,
                            const ScrollableWindow& window = {});
    std::uint32_t DragOver(TShiftState shiftState, DropPoint point, std::uint32_t allowed);
    void DragLeave();
    std::uint32_t Drop(TShiftState shiftState, DropPoint point, std::uint32_t allowed);

    // Whether the scroll timer (100 ms) runs.
    bool Scrolling() const { return m_scrolling; }
    // One tick of the scroll timer: the lines to scroll toward the edge the point is near.
    ScrollStep ScrollTick() const;
    // Whether a drag with usable data is over the window.
    bool Dragging() const { return m_data != nullptr; }

protected:
    virtual bool ReadData(const DropData& data) = 0;
    virtual void ClearData() = 0;
    virtual bool HasUsableFormat(const DropData& data) const = 0;
    std::uint32_t ChooseDropEffect(TShiftState shiftState, DropPoint point, std::uint32_t allowed);

private:
    void Forget(); // the data and what was read of it

    std::shared_ptr<const DropData> m_data;
    bool m_dataRead = false;
    DropPoint m_lastPoint;
    ScrollableWindow m_window;
    bool m_scrolling = false;
};

// A drop target for files, holding the dropped paths while its events run.
class TDropFileTarget : public TDropTarget {
public:
    const std::vector<std::string>& Files() const { return m_files; }
    // Empty unless the source gave exactly one name per file.
    const std::vector<std::string>& MappedNames() const { return m_mappedNames; }

protected:
    bool ReadData(const DropData& data) override;
    void ClearData() override;
    bool HasUsableFormat(const DropData& data) const override { return data.HasFileList(); }

private:
    std::vector<std::string> m_files;
    std::vector<std::string> m_mappedNames;
};

} // namespace tavolin::drop
