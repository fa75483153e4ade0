#include "core/remote/RequestRunner.h"

#include "core/launcher/Launcher.h"
#include "core/remote/CommandLine.h"

#include <algorithm>

namespace tavolin::remote {

namespace {

Plan Failed(std::string message) {
    Plan plan;
    plan.answer = {kExitFailed, std::move(message)};
    return plan;
}

} // namespace

Plan PrepareRequest(Launcher& launcher, const Request& request) {
    if (request.category) {
        const auto menu = launcher.CategoryMenu();
        if (std::find(menu.begin(), menu.end(), *request.category) == menu.end()) {
            return Failed("there is no category \"" + *request.category + "\"");
        }
        launcher.ChooseCategory(*request.category);
    }
    if (request.page) {
        // In range and without leading zeros, so the page loads at once.
        launcher.PageTextChanged(std::to_string(*request.page));
    }
    Plan plan;
    if (request.press) {
        const ButtonStore& store = launcher.Store();
        if (!store.IsUsed(*request.press)) {
            return Failed(ButtonKeyName(*request.press) + " on page " + store.CurrentPage() +
                          " of \"" + store.CurrentCategory() + "\" is an empty button");
        }
        plan.press = request.press;
    }
    plan.show = request.show;
    plan.quit = request.quit;
    return plan;
}

} // namespace tavolin::remote
