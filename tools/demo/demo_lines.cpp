// The demo game's own Farview lines, written in its events as an author writes them in the editor:
// the island sets its view up in an event that starts by itself and calls a common event with the
// values every map shares; its signpost turns the view when the hero reads it; the pond has a set-up
// of its own. The farm and the village square have none and show their default view.
#include "tools/demo/demo_map.h"

#include "support/game_writer.h"

namespace preview::demo {

namespace {

using gamefile::callCommonEvent;
using gamefile::comment;
using gamefile::joined;
using simhost::EventCommand;

constexpr int32_t kViewValues = 1; // the common event with the shared values

// An event of its own that starts by itself on entry, on a cell out of the way, shown as nothing.
simhost::GameEvent setUpEvent(int32_t id, int32_t column, int32_t row, std::vector<EventCommand> commands) {
    simhost::GameEvent event = gameEvent({id, "Set-up", column, row, "", 0, 2});
    event.pages.front().trigger = simhost::triggers::kAutoStart;
    event.pages.front().commands = gamefile::commandList(commands);
    return event;
}

simhost::GameEvent *eventById(simhost::GameMap &map, int32_t id) {
    for (simhost::GameEvent &event : map.events)
        if (event.id == id) return &event;
    return nullptr;
}

} // namespace

simhost::GameCommonEvent viewValuesEvent() {
    simhost::GameCommonEvent event;
    event.id = kViewValues;
    event.name = "Farview view";
    event.commands = gamefile::commandList(joined({
        comment({"The view every map shares: the horizon, the camera's", "height, the scale and the eye's distance."}),
        comment({"@set_horizon 50, 25"}),
        comment({"@set_z_value 90"}),
        comment({"@set_texture_scale 260"}),
        comment({"@set_rotational_offset 100"}),
    }));
    return event;
}

void addIslandLines(simhost::GameMap &map) {
    map.events.push_back(setUpEvent(kIslandSetUpEvent, 1, 1, joined({
        comment({"@load_map_to_texture"}),
        comment({"Beyond the map's edge the sea goes on: a cell of open water."}),
        comment({"@set_boundary_texture 0, 0"}),
        comment({"@set_background \"Panorama/Island.png\""}),
        {callCommonEvent(kViewValues)},
        comment({"The statue on the fountain turns with the view: eight views side by side."}),
        comment({"@add_sprite \"statue\", \"Picture/Statue.png\", 32, 48, 8, 1, 17"}),
        comment({"Oaks round the plaza: one picture each, always facing the eye."}),
        comment({"@add_sprite \"oak west\", \"Picture/Oak.png\", 48, 64, 1, 1, 18"}),
        comment({"@add_sprite \"oak east\", \"Picture/Oak.png\", 48, 64, 1, 1, 19"}),
        comment({"@add_sprite \"oak south-west\", \"Picture/Oak.png\", 48, 64, 1, 1, 20"}),
        comment({"@add_sprite \"oak south-east\", \"Picture/Oak.png\", 48, 64, 1, 1, 21"}),
        comment({"@init_mode7 true"}),
    })));
    // The signpost points east, to the farm: read, it turns the view that way.
    if (simhost::GameEvent *signpost = eventById(map, kSignpostEvent))
        signpost->pages.front().commands = gamefile::commandList(joined({
            comment({"\"East: the farm.\""}),
            comment({"@rotate_to 0"}),
        }));
}

void addPondLines(simhost::GameMap &map) {
    map.events.push_back(setUpEvent(kPondSetUpEvent, 0, 0, joined({
        comment({"@load_map_to_texture"}),
        comment({"@set_background \"Panorama/Island.png\""}),
        {callCommonEvent(kViewValues)},
        comment({"Down by the water: a lower eye, and the hero in his own sprite."}),
        comment({"@set_z_value 60"}),
        comment({"@change_hero_sprite \"Picture/Hero.png\", 24, 32, 4"}),
        comment({"@init_mode7 true"}),
    })));
}

} // namespace preview::demo
