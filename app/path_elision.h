#pragma once
// The path label keeps the whole path as its text (and its tooltip), but a
// path wider than the label is drawn with its middle left out, so the file
// name at its end stays in sight.

class QLabel;

void ElidePathInTheMiddle(QLabel& label);
