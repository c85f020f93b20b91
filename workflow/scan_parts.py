"""The parts of a genome scan the workflow (workflow/Snakefile) cuts and merges.

Run by the workflow's shell commands with every value as an argument of its own (no shell ever
sees a value unquoted; Snakemake's `run:` jobs would pass the config through a shell again):

  python3 scan_parts.py piece FASTA FAI WIDTH_FILE CHUNK J PIECE
      writes piece J (of every record's pieces of CHUNK window starts) as a one-record FASTA
  python3 scan_parts.py merge CHUNK MERGE FAI WIDTH_FILE OUT_BED OUT_GRAPH BED... -- GRAPH...
      writes the track line once, then every part's lines in record order
"""
import re
import sys


def index_rows(fai_path):
    """(name, length, offset, letters per line, bytes per line) of every record."""
    with open(fai_path) as fai:
        rows = [line.rstrip("\n").split("\t") for line in fai if line.strip()]
    return [(r[0], int(r[1]), int(r[2]), int(r[3]), int(r[4])) for r in rows]


def window_width(width_path):
    with open(width_path) as text:
        return int(text.read())


def chunks(rows, width, chunk):
    """(record index, first window start, letters from, letters to) of every part, in order."""
    out = []
    for i, (name, length, *_) in enumerate(rows):
        starts = max(length - width + 1, 0)
        count = max(1, -(-starts // chunk))
        for j in range(count):
            first = j * chunk
            out.append((i, first, first, min(first + chunk + width - 1, length)))
    return out


def write_piece(fasta_path, rows, pieces, j, piece_path):
    """Piece j: the letters of its windows as a one-record FASTA file."""
    i, first, begin, end = pieces[j]
    name, length, offset, per_line, line_bytes = rows[i]
    with open(fasta_path, "rb") as fasta:
        def at(position):
            return offset + (position // per_line) * line_bytes + position % per_line
        fasta.seek(at(begin))
        raw = fasta.read(at(end) - at(begin)) if end > begin else b""
    letters = raw.replace(b"\r", b"").replace(b"\n", b"")
    with open(piece_path, "wb") as piece:
        piece.write(b">piece\n")
        for k in range(0, len(letters), 60):
            piece.write(letters[k:k + 60] + b"\n")


def shifted_lines(source, name, shift):
    """The lines of a part after its track line, named `name` and moved by `shift` letters."""
    with open(source, "rb") as part:
        part.readline()
        for line in part:
            fields = line.rstrip(b"\n").split(b"\t")
            fields[0] = name
            fields[1] = str(int(fields[1]) + shift).encode()
            fields[2] = str(int(fields[2]) + shift).encode()
            yield fields


def join_merged(hits, class_order):
    """Joins hits of a class on a strand that overlap (as the scan's --merge does), sorted."""
    joined, open_hits = [], {}
    for fields in sorted(hits, key=lambda f: int(f[1])):
        key = (fields[3], fields[5])
        held = open_hits.get(key)
        if held is not None and int(fields[1]) < int(held[2]):
            held[2] = fields[2] if int(fields[2]) > int(held[2]) else held[2]
            if float(fields[4]) > float(held[4]):
                held[4] = fields[4]
            continue
        if held is not None:
            joined.append(held)
        open_hits[key] = list(fields)
    joined.extend(open_hits.values())
    joined.sort(key=lambda f: (int(f[1]), int(f[2]), class_order.get(f[3], 0), f[5]))
    return joined


def merge(chunk, merged, rows, width, out_bed, out_graph, beds, graphs):
    if chunk == 0:
        for sources, target in ((beds, out_bed), (graphs, out_graph)):
            with open(target, "wb") as out:
                for n, source in enumerate(sources):
                    with open(source, "rb") as part:
                        track = part.readline()
                        if n == 0:
                            out.write(track)
                        out.write(part.read())
        return
    names = [row[0].encode() for row in rows]
    pieces = chunks(rows, width, chunk)
    with open(beds[0], "rb") as part:
        bed_track = part.readline()
    with open(graphs[0], "rb") as part:
        graph_track = part.readline()
    listed = re.search(rb"\(classes ([0-9,]+), strand", bed_track).group(1)
    class_order = {b"class" + c: n for n, c in reversed(list(enumerate(listed.split(b","))))}
    with open(out_graph, "wb") as out:
        out.write(graph_track)
        for source, (i, first, _, _) in zip(graphs, pieces):
            for fields in shifted_lines(source, names[i], first):
                out.write(b"\t".join(fields) + b"\n")
    # The pieces come record by record; a record's hits are written when it ends.
    with open(out_bed, "wb") as out:
        out.write(bed_track)
        hits = []
        for n, (source, (i, first, _, _)) in enumerate(zip(beds, pieces)):
            hits.extend(shifted_lines(source, names[i], first))
            if n + 1 < len(pieces) and pieces[n + 1][0] == i:
                continue
            if merged:
                hits = join_merged(hits, class_order)
            for fields in hits:
                out.write(b"\t".join(fields) + b"\n")
            hits = []


def main(argv):
    if len(argv) == 8 and argv[1] == "piece":
        fasta, fai, width_file, chunk, j, piece = argv[2:]
        rows = index_rows(fai)
        write_piece(fasta, rows, chunks(rows, window_width(width_file), int(chunk)), int(j),
                    piece)
        return 0
    if len(argv) > 8 and argv[1] == "merge" and "--" in argv:
        chunk, merged, fai, width_file, out_bed, out_graph = argv[2:8]
        split = argv.index("--")
        beds, graphs = argv[8:split], argv[split + 1:]
        rows = index_rows(fai)
        width = window_width(width_file) if int(chunk) > 0 else 0
        merge(int(chunk), merged == "1", rows, width, out_bed, out_graph, beds, graphs)
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
