#pragma once
// What the operator chose for a whole-site run.

// Which file a product-5 controller takes: the A/B controllers' or the C/D controllers'.
enum class ControllerModel { AB, CD };

struct SiteOptions {
    bool planOnly = false; // survey and plan, nothing that changes a unit
    bool remotes = false;  // remotes are upgraded too, else left "on request"
    ControllerModel model = ControllerModel::AB;
};
