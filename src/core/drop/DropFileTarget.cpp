#include "core/drop/DropFileTarget.h"

namespace tavolin::drop {

std::uint32_t TDropTarget::DragEnter(std::shared_ptr<const DropData> data, TShiftState shiftState,
                                     DropPoint point, std::uint32_t allowed,
                                     const ScrollableWindow& window) {
    ClearData();
    m_dataRead = false;
    m_scrolling = false;
    m_lastPoint = point;
    if (!data || !HasUsableFormat(*data)) {
        m_data.reset();
        return effect::kNone;
    }
    m_data = std::move(data);
    m_window = window;
    if (GetDataOnEnter)
        m_dataRead = ReadData(*m_data);
    std::uint32_t chosen = ChooseDropEffect(shiftState, point, allowed);
    if (OnEnter)
        OnEnter(shiftState, point, chosen);
    return chosen;
}

std::uint32_t TDropTarget::DragOver(TShiftState shiftState, DropPoint point,
                                    std::uint32_t allowed) {
    std::uint32_t chosen = effect::kNone;
    m_scrolling = false;
    if (m_data) {
        chosen = ChooseDropEffect(shiftState, point, allowed);
        if (OnDragOver)
            OnDragOver(shiftState, point, chosen);
        m_scrolling =
            (m_window.horizontalBar || m_window.verticalBar) && (chosen & effect::kScroll) != 0;
    }
    m_lastPoint = point;
    return chosen;
}

void TDropTarget::Forget() {
    ClearData();
    m_data.reset();
    m_dataRead = false;
}

void TDropTarget::DragLeave() {
    Forget();
    m_scrolling = false;
    if (OnLeave)
        OnLeave();
}

std::uint32_t TDropTarget::Drop(TShiftState shiftState, DropPoint point, std::uint32_t allowed) {
    if (!m_data)
        return effect::kNone;
    m_scrolling = false;
    std::uint32_t chosen = ChooseDropEffect(shiftState, point, allowed);
    if (m_dataRead || ReadData(*m_data)) {
        // The lists are emptied however the handler ends.
        struct Clear {
            TDropTarget& target;
            ~Clear() { target.Forget(); }
        } clear{*this};
        if (OnDrop)
            OnDrop(shiftState, point, chosen);
        return chosen;
    }
    Forget();
    return effect::kNone;
}

std::uint32_t TDropTarget::ChooseDropEffect(TShiftState shiftState, DropPoint point,
                                            std::uint32_t allowed) {
    const std::uint32_t masked = allowed & Dragtypes.Effects();
    if (OnGetDropEffect) {
        std::uint32_t chosen = masked;
        OnGetDropEffect(shiftState, point, chosen);
        return chosen;
    }
    const bool shiftKey = (shiftState & shift::kShift) != 0;
    const bool ctrlKey = (shiftState & shift::kCtrl) != 0;
    std::uint32_t chosen = effect::kNone;
    if (shiftKey && ctrlKey && (masked & effect::kLink))
        chosen = effect::kLink;
    else if (shiftKey && !ctrlKey && (masked & effect::kMove))
        chosen = effect::kMove;
    else if (masked & effect::kCopy)
        chosen = effect::kCopy;
    else if (masked & effect::kMove)
        chosen = effect::kMove;
    else if (masked & effect::kLink)
        chosen = effect::kLink;

    const int margin = m_window.margin;
    const bool nearLeftOrRight = point.x < margin || point.x > m_window.width - margin;
    const bool nearTopOrBottom = point.y < margin || point.y > m_window.height - margin;
    if ((m_window.horizontalBar && nearLeftOrRight) || (m_window.verticalBar && nearTopOrBottom)) {
        chosen |= effect::kScroll;
    }
    return chosen;
}

ScrollStep TDropTarget::ScrollTick() const {
    const int margin = m_window.margin;
    const auto toward = [&](bool bar, int at, int extent) {
        return !bar ? 0 : (at < margin ? -1 : (at > extent - margin ? 1 : 0));
    };
    return {toward(m_window.horizontalBar, m_lastPoint.x, m_window.width),
            toward(m_window.verticalBar, m_lastPoint.y, m_window.height)};
}

bool TDropFileTarget::ReadData(const DropData& data) {
    ClearData();
    std::optional<std::vector<std::string>> files = data.FileList();
    if (!files || files->empty())
        return false;
    m_files = std::move(*files);
    m_mappedNames = data.MappedNames();
    if (m_mappedNames.size() != m_files.size())
        m_mappedNames.clear();
    return true;
}

void TDropFileTarget::ClearData() {
    m_files.clear();
    m_mappedNames.clear();
}

} // namespace tavolin::drop
