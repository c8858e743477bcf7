#!/usr/bin/env python3
"""Lays out the operator's guide from its text source into a PDF file.

Usage: build_guide.py SOURCE.md OUTPUT.pdf

Python 3 standard library only. The source is a small subset of Markdown:

    # Title                  the document's title (first line only)
    ## Section, ### Topic    headings; sections go into the contents and the bookmarks
    paragraphs               lines joined until a blank line
    - item / 1. item         lists; an item goes on in lines indented by two or more spaces,
                             and "  - item" inside an item makes a second level
    | a | b |                tables; the first row is the heading, the |---| row is skipped
    ```                      preformatted text in a fixed-pitch font, until the next ```
    **bold**, `fixed`        inline styles

The PDF uses the standard Helvetica and Courier fonts (no font is embedded), A4 pages with
a running foot and page numbers, a contents list on the first page, and bookmarks. The
output depends only on the source: the same source gives the same bytes.
"""

import re
import sys
import zlib

# Advance widths (1/1000 em) of the characters 32 to 126 in Helvetica and Helvetica-Bold.
HELVETICA = [
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667, 611, 778,
    722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278,
    278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,
]
HELVETICA_BOLD = [
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722, 667, 611, 778,
    722, 278, 556, 722, 611, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333,
    278, 333, 584, 556, 333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584,
]
# Characters outside ASCII that the guide may use: their WinAnsiEncoding code and widths
# (regular, bold).
EXTRA_CHARS = {
    "\u2019": (0x92, 222, 278),  # right single quote
    "\u2018": (0x91, 222, 278),
    "\u201c": (0x93, 333, 500),
    "\u201d": (0x94, 333, 500),
    "\u2022": (0x95, 350, 350),  # bullet
    "\u2013": (0x96, 556, 556),  # en dash
    "\u2014": (0x97, 1000, 1000),  # em dash
    "\u00b5": (0xB5, 556, 611),  # micro sign
    "\u00d7": (0xD7, 584, 584),  # multiplication sign
    "\u00b0": (0xB0, 400, 400),  # degree
    "\u2026": (0x85, 1000, 1000),  # ellipsis
}

# Font resources: name in the page resources, base font, width table (None: fixed 600).
FONTS = {
    "F1": ("Helvetica", HELVETICA),
    "F2": ("Helvetica-Bold", HELVETICA_BOLD),
    "F3": ("Courier", None),
    "F4": ("Courier-Bold", None),
}
REGULAR, BOLD, FIXED, FIXED_BOLD = "F1", "F2", "F3", "F4"

PAGE_W, PAGE_H = 595.0, 842.0  # A4 in points
MARGIN_L, MARGIN_R, MARGIN_T, MARGIN_B = 62.0, 62.0, 60.0, 66.0
TEXT_W = PAGE_W - MARGIN_L - MARGIN_R
BODY_SIZE, BODY_LEAD = 10.0, 13.4
HEADING_COLOUR = (0.08, 0.20, 0.45)
RULE_GREY = 0.62


def char_width(font, char):
    """Width of one character at size 1."""
    name, table = FONTS[font]
    if table is None:
        return 0.6
    code = ord(char)
    if 32 <= code <= 126:
        return table[code - 32] / 1000.0
    if char in EXTRA_CHARS:
        return EXTRA_CHARS[char][2 if font == BOLD else 1] / 1000.0
    raise ValueError("character %r is not in the guide's character set" % char)


def text_width(font, size, text):
    return sum(char_width(font, c) for c in text) * size


def pdf_string(text):
    """A PDF literal string in WinAnsiEncoding."""
    out = bytearray(b"(")
    for char in text:
        code = ord(char)
        if char in "\\()":
            out += b"\\" + char.encode("ascii")
        elif 32 <= code <= 126:
            out.append(code)
        elif char in EXTRA_CHARS:
            out += b"\\%03o" % EXTRA_CHARS[char][0]
        else:
            raise ValueError("character %r is not in the guide's character set" % char)
    out += b")"
    return bytes(out)


# ---------------------------------------------------------------------------------------
# Source: blocks and inline runs.

def parse_inline(text, base=REGULAR):
    """Runs of (font, text) from a line with **bold** and `fixed` parts."""
    runs = []
    pattern = re.compile(r"(\*\*.+?\*\*|`[^`]+`)")
    for part in pattern.split(text):
        if not part:
            continue
        if part.startswith("**") and part.endswith("**") and len(part) > 4:
            runs.append((BOLD if base == REGULAR else base, part[2:-2]))
        elif part.startswith("`") and part.endswith("`") and len(part) > 2:
            runs.append((FIXED_BOLD if base == BOLD else FIXED, part[1:-1]))
        else:
            runs.append((base, part))
    return runs


def parse_source(lines):
    """Blocks: ("title"|"h2"|"h3"|"p", text), ("list", ordered, items), ("table", rows),
    ("code", lines). A list item is (text, sub-items)."""
    blocks = []
    i = 0
    n = len(lines)

    def is_list_line(line):
        return re.match(r"^(\s*)([-*]|\d+\.)\s+", line)

    while i < n:
        line = lines[i].rstrip("\n")
        stripped = line.strip()
        if not stripped:
            i += 1
            continue
        if stripped.startswith("```"):
            code = []
            i += 1
            while i < n and not lines[i].strip().startswith("```"):
                code.append(lines[i].rstrip("\n"))
                i += 1
            i += 1
            blocks.append(("code", code))
            continue
        heading = re.match(r"^(#{1,3})\s+(.*)$", line)
        if heading:
            level = len(heading.group(1))
            blocks.append(({1: "title", 2: "h2", 3: "h3"}[level], heading.group(2).strip()))
            i += 1
            continue
        if stripped.startswith("|"):
            rows = []
            while i < n and lines[i].strip().startswith("|"):
                cells = [c.strip() for c in lines[i].strip().strip("|").split("|")]
                if not all(re.match(r"^:?-+:?$", c) for c in cells):
                    rows.append(cells)
                i += 1
            blocks.append(("table", rows))
            continue
        item = is_list_line(line)
        if item and not item.group(1):
            ordered = item.group(2)[0].isdigit()
            items = []
            while i < n:
                line = lines[i].rstrip("\n")
                top = is_list_line(line)
                if top and not top.group(1):
                    items.append([line[top.end():].strip(), []])
                elif not line.strip():
                    # A blank line ends the list unless the next line continues it.
                    if i + 1 < n and (is_list_line(lines[i + 1]) or lines[i + 1].startswith("  ")) \
                            and lines[i + 1].strip():
                        i += 1
                        continue
                    break
                elif line.startswith("  "):
                    sub = is_list_line(line)
                    if sub:
                        items[-1][1].append(line[sub.end():].strip())
                    elif items[-1][1]:
                        items[-1][1][-1] += " " + line.strip()
                    else:
                        items[-1][0] += " " + line.strip()
                else:
                    break
                i += 1
            blocks.append(("list", ordered, items))
            continue
        paragraph = []
        while i < n and lines[i].strip() and not lines[i].strip().startswith(("|", "```", "#")) \
                and not (is_list_line(lines[i]) and not is_list_line(lines[i]).group(1)):
            paragraph.append(lines[i].strip())
            i += 1
        blocks.append(("p", " ".join(paragraph)))
    return blocks


# ---------------------------------------------------------------------------------------
# Layout: words into lines, lines onto pages.

def split_words(runs):
    """Words as lists of (font, text) pieces; a word is text between blanks."""
    words = []
    current = []
    for font, text in runs:
        parts = re.split(r"( +)", text)
        for part in parts:
            if not part:
                continue
            if part.startswith(" "):
                if current:
                    words.append(current)
                    current = []
            else:
                current.append((font, part))
    if current:
        words.append(current)
    return words


def wrap(runs, size, width):
    """Lines of pieces (font, text) no wider than width; a word wider than the line is
    broken between characters."""
    lines = []
    line = []
    line_w = 0.0
    for word in split_words(runs):
        word_w = sum(text_width(f, size, t) for f, t in word)
        space_w = text_width(word[0][0], size, " ")
        if line and line_w + space_w + word_w > width:
            lines.append(line)
            line, line_w = [], 0.0
        if not line and word_w > width:
            # Break an over-long word (a long file path, say) where it must.
            for font, text in word:
                for char in text:
                    cw = text_width(font, size, char)
                    if line and line_w + cw > width:
                        lines.append(line)
                        line, line_w = [], 0.0
                    line.append((font, char))
                    line_w += cw
            continue
        if line:
            line.append((word[0][0], " "))
            line_w += space_w
        line.extend(word)
        line_w += word_w
    if line:
        lines.append(line)
    return lines or [[]]


def merge_pieces(pieces):
    """Joins neighbouring pieces of the same font."""
    merged = []
    for font, text in pieces:
        if merged and merged[-1][0] == font:
            merged[-1] = (font, merged[-1][1] + text)
        else:
            merged.append((font, text))
    return merged


class Page:
    def __init__(self):
        self.ops = []
        self.links = []  # (rect, destination page index, y)


class Layout:
    """Places blocks on pages, top to bottom, and remembers where each section begins."""

    def __init__(self, title, contents_entries):
        self.title = title
        self.pages = []
        self.sections = []  # (text, page index, y)
        self.contents_entries = contents_entries  # (text, page number) for the contents list
        self.new_page()

    def new_page(self):
        self.page = Page()
        self.pages.append(self.page)
        self.y = PAGE_H - MARGIN_T

    def ensure(self, height):
        if self.y - height < MARGIN_B:
            self.new_page()

    def text(self, x, y, pieces, size, colour=None):
        ops = self.page.ops
        ops.append("BT")
        if colour:
            ops.append("%.3f %.3f %.3f rg" % colour)
        ops.append("%.2f %.2f Td" % (x, y))
        for font, text in merge_pieces(pieces):
            ops.append("/%s %.1f Tf" % (font, size))
            ops.append(pdf_string(text).decode("latin-1") + " Tj")
        if colour:
            ops.append("0 0 0 rg")
        ops.append("ET")

    def rule(self, x0, y0, x1, y1, grey=RULE_GREY, width=0.5):
        self.page.ops.append("%.2f G %.2f w %.2f %.2f m %.2f %.2f l S 0 G" % (grey, width, x0, y0, x1, y1))

    def box(self, x, y, w, h, grey):
        self.page.ops.append("%.3f g %.2f %.2f %.2f %.2f re f 0 g" % (grey, x, y, w, h))

    # Blocks -----------------------------------------------------------------------------

    def title_block(self, text):
        self.y -= 8
        self.text(MARGIN_L, self.y - 22, [(BOLD, text)], 24, HEADING_COLOUR)
        self.y -= 34
        self.rule(MARGIN_L, self.y, PAGE_W - MARGIN_R, self.y, grey=0.25, width=1.2)
        self.y -= 14

    def contents(self):
        if not self.contents_entries:
            return
        self.ensure(40)
        self.text(MARGIN_L, self.y - 12, [(BOLD, "Contents")], 12, HEADING_COLOUR)
        self.y -= 20
        for index, (entry, page_number) in enumerate(self.contents_entries):
            self.ensure(BODY_LEAD)
            base = self.y - BODY_SIZE
            number = str(page_number) if page_number else ""
            self.text(MARGIN_L + 8, base, [(REGULAR, entry)], BODY_SIZE)
            nw = text_width(REGULAR, BODY_SIZE, number)
            self.text(PAGE_W - MARGIN_R - nw, base, [(REGULAR, number)], BODY_SIZE)
            # Dotted leader between the entry and its page number.
            start = MARGIN_L + 8 + text_width(REGULAR, BODY_SIZE, entry) + 6
            end = PAGE_W - MARGIN_R - nw - 6
            if end > start:
                self.page.ops.append("%.2f G 0.6 w [0.6 2.4] 0 d %.2f %.2f m %.2f %.2f l S [] 0 d 0 G"
                                     % (0.45, start, base + 1, end, base + 1))
            self.page.links.append(((MARGIN_L, base - 3, PAGE_W - MARGIN_R, base + BODY_SIZE), index))
            self.y -= BODY_LEAD
        self.y -= 10

    def heading(self, text, level):
        size = 14.5 if level == 2 else 11.5
        space_before = 16 if level == 2 else 10
        # Keep a heading with at least a few lines of what follows it.
        self.ensure(space_before + size + 4 * BODY_LEAD)
        if self.y < PAGE_H - MARGIN_T:
            self.y -= space_before
        base = self.y - size
        if level == 2:
            self.sections.append((text, len(self.pages) - 1, self.y))
        self.text(MARGIN_L, base, [(BOLD, text)], size, HEADING_COLOUR)
        self.y = base - (6 if level == 2 else 4)
        if level == 2:
            self.rule(MARGIN_L, self.y + 2, PAGE_W - MARGIN_R, self.y + 2, grey=0.7, width=0.5)
            self.y -= 4

    def paragraph_height(self, runs, indent=0.0):
        return len(wrap(runs, BODY_SIZE, TEXT_W - indent)) * BODY_LEAD

    def paragraph(self, runs, indent=0.0, first_prefix=None, after=5.0):
        lines = wrap(runs, BODY_SIZE, TEXT_W - indent)
        for number, line in enumerate(lines):
            self.ensure(BODY_LEAD)
            base = self.y - BODY_SIZE
            if number == 0 and first_prefix:
                prefix_font, prefix_text, prefix_x = first_prefix
                self.text(prefix_x, base, [(prefix_font, prefix_text)], BODY_SIZE)
            self.text(MARGIN_L + indent, base, line, BODY_SIZE)
            self.y -= BODY_LEAD
        self.y -= after

    def list_block(self, ordered, items):
        for index, (text, subs) in enumerate(items):
            marker = "%d." % (index + 1) if ordered else "\u2022"
            marker_x = MARGIN_L + 6 if not ordered else MARGIN_L + 14 - text_width(REGULAR, BODY_SIZE, marker)
            self.paragraph(parse_inline(text), indent=20, first_prefix=(REGULAR, marker, marker_x), after=1.5)
            for sub in subs:
                self.paragraph(parse_inline(sub), indent=36, first_prefix=(REGULAR, "\u2013", MARGIN_L + 24),
                               after=1.0)
        self.y -= 4

    def code(self, lines):
        size, lead = 8.6, 11.0
        index = 0
        while index < len(lines):
            # As many lines as fit on this page, in one shaded box.
            self.ensure(lead + 8)
            room = int((self.y - MARGIN_B - 8) // lead)
            chunk = lines[index:index + max(1, room)]
            height = len(chunk) * lead + 8
            self.box(MARGIN_L, self.y - height, TEXT_W, height, 0.93)
            y = self.y - 4
            for line in chunk:
                self.text(MARGIN_L + 6, y - size, [(FIXED, line)], size)
                y -= lead
            self.y -= height + 6
            index += len(chunk)
            if index < len(lines):
                self.new_page()

    def table(self, rows):
        size, lead, pad = 9.0, 11.6, 4.0
        columns = max(len(r) for r in rows)
        rows = [r + [""] * (columns - len(r)) for r in rows]
        parsed = [[parse_inline(c, BOLD if r == 0 else REGULAR) for c in row] for r, row in enumerate(rows)]

        def natural(cell):
            return sum(text_width(f, size, t) for f, t in cell)

        def longest_word(cell):
            return max([sum(text_width(f, size, t) for f, t in w) for w in split_words(cell)] or [0.0])

        want = [max(natural(row[c]) for row in parsed) + 2 * pad for c in range(columns)]
        least = [min(want[c], max(longest_word(row[c]) for row in parsed) + 2 * pad) for c in range(columns)]
        widths = list(want)
        if sum(widths) <= TEXT_W:
            # Every table spans the text width; the last column takes what is left.
            widths[-1] += TEXT_W - sum(widths)
        else:
            # Give each column its longest word, then share the rest by what each wants more.
            spare = TEXT_W - sum(least)
            extra = [want[c] - least[c] for c in range(columns)]
            total_extra = sum(extra) or 1.0
            widths = [least[c] + max(0.0, spare) * extra[c] / total_extra for c in range(columns)]
        table_w = sum(widths)

        def row_lines(row):
            return [wrap(cell, size, widths[c] - 2 * pad) for c, cell in enumerate(row)]

        def draw_row(row, cells, heading):
            height = max(len(c) for c in cells) * lead + 2 * pad - 2
            top = self.y
            if heading:
                self.box(MARGIN_L, top - height, table_w, height, 0.88)
            x = MARGIN_L
            for c, lines in enumerate(cells):
                y = top - pad - size + 1
                for line in lines:
                    self.text(x + pad, y, line, size)
                    y -= lead
                x += widths[c]
            self.y = top - height
            self.rule(MARGIN_L, self.y, MARGIN_L + table_w, self.y, grey=0.6 if heading else 0.8, width=0.5)
            return height

        heading_cells = row_lines(parsed[0])
        heading_h = max(len(c) for c in heading_cells) * lead + 2 * pad - 2
        first_body_h = (max(len(c) for c in row_lines(parsed[1])) * lead + 2 * pad) if len(parsed) > 1 else 0
        self.ensure(heading_h + first_body_h + 4)
        self.y -= 2
        self.rule(MARGIN_L, self.y, MARGIN_L + table_w, self.y, grey=0.6, width=0.5)
        draw_row(parsed[0], heading_cells, True)
        for row in parsed[1:]:
            cells = row_lines(row)
            height = max(len(c) for c in cells) * lead + 2 * pad - 2
            if self.y - height < MARGIN_B:
                self.new_page()
                self.rule(MARGIN_L, self.y, MARGIN_L + table_w, self.y, grey=0.6, width=0.5)
                draw_row(parsed[0], heading_cells, True)
            draw_row(row, cells, False)
        self.y -= 10

    def foot(self):
        """Running foot on every page: title at the left, page n of N at the right."""
        total = len(self.pages)
        for number, page in enumerate(self.pages, 1):
            self.page = page
            y = MARGIN_B - 26
            self.rule(MARGIN_L, y + 11, PAGE_W - MARGIN_R, y + 11, grey=0.7, width=0.4)
            self.text(MARGIN_L, y, [(REGULAR, self.title)], 8, (0.35, 0.35, 0.35))
            label = "Page %d of %d" % (number, total)
            self.text(PAGE_W - MARGIN_R - text_width(REGULAR, 8, label), y, [(REGULAR, label)], 8,
                      (0.35, 0.35, 0.35))


def lay_out(blocks, contents_pages):
    title = next((block[1] for block in blocks if block[0] == "title"), "Guide")
    sections = [b[1] for b in blocks if b[0] == "h2"]
    entries = [(s, contents_pages[i] if contents_pages else 0) for i, s in enumerate(sections)]
    layout = Layout(title, entries)
    contents_done = False
    for index, block in enumerate(blocks):
        kind = block[0]
        following = blocks[index + 1][0] if index + 1 < len(blocks) else None
        if kind == "p" and block[1].endswith(":") and following in ("table", "list", "code"):
            # An introduction stays on the page of the first lines of what it introduces.
            layout.ensure(layout.paragraph_height(parse_inline(block[1])) + 4 * BODY_LEAD)
        if kind == "title":
            layout.title_block(block[1])
            continue
        if kind == "h2" and not contents_done:
            layout.contents()
            contents_done = True
        if kind == "h2":
            layout.heading(block[1], 2)
        elif kind == "h3":
            layout.heading(block[1], 3)
        elif kind == "p":
            layout.paragraph(parse_inline(block[1]))
        elif kind == "list":
            layout.list_block(block[1], block[2])
        elif kind == "table":
            layout.table(block[1])
        elif kind == "code":
            layout.code(block[1])
    layout.foot()
    return layout


# ---------------------------------------------------------------------------------------
# PDF file.

def write_pdf(layout, path):
    objects = {}  # number -> bytes

    def obj(number, body):
        objects[number] = body if isinstance(body, bytes) else body.encode("latin-1")

    catalog, pages_root, outlines = 1, 2, 3
    font_numbers = {name: 4 + i for i, name in enumerate(FONTS)}
    info = 4 + len(FONTS)
    next_number = info + 1
    page_numbers = []
    for _ in layout.pages:
        page_numbers.append((next_number, next_number + 1))
        next_number += 2
    outline_numbers = list(range(next_number, next_number + len(layout.sections)))
    next_number += len(layout.sections)

    for name, number in font_numbers.items():
        obj(number, "<< /Type /Font /Subtype /Type1 /BaseFont /%s /Encoding /WinAnsiEncoding >>" % FONTS[name][0])
    font_dict = " ".join("/%s %d 0 R" % (name, number) for name, number in font_numbers.items())

    def destination(page_index, y):
        return "[%d 0 R /XYZ 0 %.2f null]" % (page_numbers[page_index][0], y + 4)

    for index, page in enumerate(layout.pages):
        page_obj, content_obj = page_numbers[index]
        stream = zlib.compress("\n".join(page.ops).encode("latin-1"), 9)
        obj(content_obj, b"<< /Length %d /Filter /FlateDecode >>\nstream\n" % len(stream) + stream + b"\nendstream")
        annots = []
        for rect, section in page.links:
            if section < len(layout.sections):
                _, target_page, target_y = layout.sections[section]
                annots.append("<< /Type /Annot /Subtype /Link /Border [0 0 0] /Rect [%.2f %.2f %.2f %.2f] /Dest %s >>"
                              % (rect + (destination(target_page, target_y),)))
        annot_text = (" /Annots [%s]" % " ".join(annots)) if annots else ""
        obj(page_obj, "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %.0f %.0f] /Contents %d 0 R "
                      "/Resources << /Font << %s >> >>%s >>"
            % (pages_root, PAGE_W, PAGE_H, content_obj, font_dict, annot_text))

    kids = " ".join("%d 0 R" % p for p, _ in page_numbers)
    obj(pages_root, "<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, len(page_numbers)))

    for i, (text, page_index, y) in enumerate(layout.sections):
        links = ""
        if i > 0:
            links += " /Prev %d 0 R" % outline_numbers[i - 1]
        if i + 1 < len(outline_numbers):
            links += " /Next %d 0 R" % outline_numbers[i + 1]
        objects[outline_numbers[i]] = (b"<< /Title " + pdf_string(text) + b" /Parent %d 0 R" % outlines
                                       + (links + " /Dest %s >>" % destination(page_index, y)).encode("latin-1"))
    if outline_numbers:
        obj(outlines, "<< /Type /Outlines /First %d 0 R /Last %d 0 R /Count %d >>"
            % (outline_numbers[0], outline_numbers[-1], len(outline_numbers)))
    else:
        obj(outlines, "<< /Type /Outlines /Count 0 >>")
    obj(catalog, "<< /Type /Catalog /Pages %d 0 R /Outlines %d 0 R /PageMode /UseOutlines >>"
        % (pages_root, outlines))
    objects[info] = b"<< /Title " + pdf_string(layout.title) + b" /Producer (build_guide.py) >>"

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for number in sorted(objects):
        offsets[number] = len(out)
        out += b"%d 0 obj\n" % number + objects[number] + b"\nendobj\n"
    xref_at = len(out)
    count = max(objects) + 1
    out += b"xref\n0 %d\n0000000000 65535 f \n" % count
    for number in range(1, count):
        out += b"%010d 00000 n \n" % offsets[number]
    out += b"trailer\n<< /Size %d /Root %d 0 R /Info %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (
        count, catalog, info, xref_at)
    with open(path, "wb") as f:
        f.write(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: build_guide.py SOURCE.md OUTPUT.pdf\n")
        return 2
    with open(argv[0], encoding="utf-8") as f:
        blocks = parse_source(f.read().splitlines())
    # Two passes: the first finds the page of every section, the second prints the
    # contents list with those pages (the list's length is the same in both passes).
    first = lay_out(blocks, None)
    pages = [page_index + 1 for _, page_index, _ in first.sections]
    layout = lay_out(blocks, pages)
    write_pdf(layout, argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
