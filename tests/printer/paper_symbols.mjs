// Reads `tesk-cli --inspect --render paper --json` from stdin and prints, in
// job order, one line per symbol command that printed or was refused:
//   OFFSET drawn PIECE X Y WIDTH HEIGHT
//   OFFSET refused DETAIL
import { readFileSync } from 'fs';

const { paper } = JSON.parse(readFileSync(0, 'utf8'));
const symbols = paper.drawn
  .filter((item) => item.kind === 'symbol')
  .map((item) => ({ offset: item.offset,
                    line: `drawn ${item.piece} ${item.x} ${item.y} ${item.width} ${item.height}` }));
for (const item of paper.notDrawn) {
  if (item.reason === 'the printer draws no symbol')
    symbols.push({ offset: item.offset, line: `refused ${item.detail}` });
}
symbols.sort((a, b) => a.offset - b.offset);
for (const symbol of symbols) console.log(`${symbol.offset} ${symbol.line}`);
