// The Open LOGO chooser's preview of logo files: an image handler registered with the
// toolkit's shared images, which the chooser's preview asks for every file it shows. A file
// that detection takes for a logo is decoded apart from the loaded logo (silently, on the
// load's usual budget) and drawn as its thumbnail (output/thumbnail); any other file is left
// to the toolkit.
#pragma once

void register_logo_preview();
