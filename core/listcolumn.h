#pragma once

// The URL list's columns.
enum ListColumn : int { UrlColumn = 0, PostDataColumn = 1 };
