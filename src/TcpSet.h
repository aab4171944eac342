#pragma once
// The settings dialog of one module.
