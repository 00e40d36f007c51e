#!/usr/bin/env python3
"""Hand-made ZIP archives that no writer produces: damaged end records, hidden directories,
entries that share their data (zip bombs). Record by record, so each fixture is exactly what its
comment says.

    zip_craft.py OUTDIR [CASE...]   writes OUTDIR/CASE.zip for each case (all when none given)
    zip_craft.py --list             prints the case names
"""
import os
import struct
import sys
import zlib

UTF8 = 0x800  # every name here is ASCII; the flag lets the strict reader try them first


def raw_deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


class Entry:
    def __init__(self, name, data, deflate=False):
        self.name = name
        self.data = data
        self.method = 8 if deflate else 0
        self.comp = raw_deflate(data) if deflate else data
        self.crc = zlib.crc32(data)

    def local(self, extra_length=None, extra=b''):
        length = len(extra) if extra_length is None else extra_length
        return struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, UTF8, self.method, 0, 0x5264, self.crc,
                           len(self.comp), len(self.data), len(self.name), length) + self.name + extra

    def central(self, offset):
        return struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, UTF8, self.method, 0, 0x5264,
                           self.crc, len(self.comp), len(self.data), len(self.name), 0, 0, 0, 0, 0,
                           offset) + self.name


def end_record(count, size, offset, comment=b'', comment_length=None):
    length = len(comment) if comment_length is None else comment_length
    return struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, count, count, size, offset, length) + comment


def body(entries, base=0):
    """Local headers with their data, and the central directory; offsets count from base."""
    data, directory = b'', b''
    for e in entries:
        directory += e.central(base + len(data))
        data += e.local() + e.comp
    return data, directory


def archive(entries, comment=b'', count_delta=0, size_delta=0, offset_delta=0):
    data, directory = body(entries)
    return data + directory + end_record(len(entries) + count_delta, len(directory) + size_delta,
                                         len(data) + offset_delta, comment)


def two():
    return [Entry(b'a.txt', b'alpha'), Entry(b'b.txt', b'beta')]


# --- where the end record is and what it says ---------------------------------------------------

def hidden_end_record(holder_comment):
    """A complete archive with 'one.txt', then another with 'two.txt' whose end record's comment
    runs 100 bytes past the file. With holder_comment the first end record's comment covers all
    that follows, as if the second were comment text."""
    first, first_dir = body([Entry(b'one.txt', b'first reading')])
    start = len(first) + len(first_dir) + 22
    second, second_dir = body([Entry(b'two.txt', b'second reading')], base=start)
    rest = second + second_dir + end_record(1, len(second_dir), start + len(second), b'', 100)
    first_end = end_record(1, len(first_dir), len(first), b'', len(rest) if holder_comment else 0)
    return first + first_dir + first_end + rest


def comment_holds_end_record():
    """The comment of the real end record ('real.txt') holds a second, complete end record that
    describes another directory ('fake.txt'), lying before the real one."""
    real, fake = Entry(b'real.txt', b'real content'), Entry(b'fake.txt', b'fake content')
    data = real.local() + real.comp
    fake_at = len(data)
    data += fake.local() + fake.comp
    fake_dir, real_dir = fake.central(fake_at), real.central(0)
    comment = end_record(1, len(fake_dir), len(data))
    return data + fake_dir + real_dir + end_record(1, len(real_dir), len(data) + len(fake_dir), comment)


def junk_end_after_archive():
    """A complete archive, then bytes ending in an end record that fits the file but points at
    no directory."""
    return archive([Entry(b'one.txt', b'first reading')]) + b'junk' + end_record(1, 9999, 77777)


def behind_prefix(counted):
    """A program stub before the archive; the offsets count it or not."""
    stub = b'MZ' + b'\0' * 98
    data, directory = body([Entry(b'a.txt', b'alpha')], base=len(stub) if counted else 0)
    offset = len(data) + (len(stub) if counted else 0)
    return stub + data + directory + end_record(1, len(directory), offset)


def size_of_last_header(prefix=b''):
    """The end record's directory size counts only the last central header, while the offsets are
    right (counting the prefix, if any): taken by its size, the directory would begin at its last
    header, as if a prefix the offsets do not count lay before the archive. Go's test archive
    test-badbase.zip is laid out so."""
    entries = two()
    data, directory = body(entries, base=len(prefix))
    last = len(entries[-1].central(0))
    return prefix + data + directory + end_record(len(entries), last, len(prefix) + len(data))


# --- entries that share their data --------------------------------------------------------------

def overlap_full():
    """Sixteen directory entries for the local header of the first, whose data inflates to 256 KiB."""
    first = Entry(b'00.bin', b'\0' * (256 << 10), deflate=True)
    data = first.local() + first.comp
    directory = b''
    for i in range(16):
        named = Entry(b'%02d.bin' % i, first.data, deflate=True)
        directory += named.central(0)
    return data + directory + end_record(16, len(directory), len(data))


def overlap_quoted(files=16):
    """Each file's deflate stream quotes the next file's local header in a stored block, then goes
    on with that file's stream; the last holds 256 KiB of zeros. Every local header is distinct,
    every checksum holds, and the files together inflate to about files * 256 KiB."""
    chain = [Entry(b'%02d.bin' % (files - 1), b'\0' * (256 << 10), deflate=True)]
    for i in reversed(range(files - 1)):
        following = chain[0]
        header = following.local()
        quote = b'\0' + struct.pack('<HH', len(header), len(header) ^ 0xFFFF) + header
        e = Entry(b'%02d.bin' % i, header + following.data)
        e.method, e.comp = 8, quote + following.comp
        chain.insert(0, e)
    data = chain[0].local() + chain[0].comp
    directory, offset = b'', 0
    for e in chain:
        directory += e.central(offset)
        offset += 30 + len(e.name) + 5  # its header and the quoting block's own header
    return data + directory + end_record(files, len(directory), len(data))


def overlap_local_extra():
    """Two stored entries of the same text, apart in the directory; the first's local header
    declares an extra field that reaches over the second's header, so its data is the second's."""
    text = b'shared text ' * 40
    a, b = Entry(b'a', text), Entry(b'b', text)
    filler = b'\0' * len(text)
    b_at = 30 + len(a.name) + len(filler)
    data = a.local(extra_length=len(filler) + 30 + len(b.name)) + filler + b.local() + b.comp
    directory = a.central(0) + b.central(b_at)
    return data + directory + end_record(2, len(directory), len(data))


def data_into_directory():
    """The last entry's compressed size runs into the central directory (its deflate stream ends
    before it, so the data itself decodes)."""
    e = Entry(b'a.txt', b'alpha ' * 100, deflate=True)
    honest = len(e.comp)
    e.comp += b'\0' * 40  # so the declared size fits the file
    data = e.local() + e.comp[:honest]
    directory = e.central(0)
    return data + directory + end_record(1, len(directory), len(data))


# --- inputs the fuzzer found ---------------------------------------------------------------------

# Two empty end records, the second's signature inside the first's values; every reference reader
# takes the file as an empty archive.
FOUND_RECORD_IN_RECORD = bytes.fromhex(
    '652e7874504b74257874504b050600504b050600000000000000000000000000000000000000')
# Two empty end records, the second inside the first's comment: two readings, but the same one.
FOUND_EMPTY_IN_COMMENT = bytes.fromhex(
    '652e7874504b74257874504b0506000000000101000000000000180000001400504b0506000000000000000000'
    '00000000000000000000000000')
# An empty end record inside the comment of one that leads to a damaged directory (33 entries
# declared, one there): only the empty reading is whole.
FOUND_EMPTY_IN_DAMAGED = bytes.fromhex(
    '652e7874504b0102140014000008002f6465762f73686d2f686d2d7a69702d66757a7a2d6a6f4b5531432f6f75'
    '742fe6b6937265616c2e747874504b05060000000001002100360000009a0000001400504b05060000000000000000'
    '00000000000000000000f6ffffff00')


CASES = {
    'plain': lambda: archive(two()),
    'trailing-bytes': lambda: archive(two()) + b'TRAILING',
    'comment-past-end': lambda: archive(two())[:-2] + struct.pack('<H', 100),
    'hidden-end-record': lambda: hidden_end_record(False),
    'holder-covers-hidden': lambda: hidden_end_record(True),
    'comment-holds-end-record': comment_holds_end_record,
    'comment-holds-magic': lambda: archive(two(), b'see ' + end_record(1, 9999, 77777)),
    'junk-end-after-archive': junk_end_after_archive,
    'end-record-cut': lambda: archive(two())[:-10],
    'concatenated': lambda: archive([Entry(b'one.txt', b'first')]) + archive([Entry(b'two.txt', b'second')]),
    'prefix-counted': lambda: behind_prefix(True),
    'prefix-not-counted': lambda: behind_prefix(False),
    'offset-3': lambda: archive(two(), offset_delta=-3),
    'offset+5': lambda: archive(two(), offset_delta=5),
    'size-3': lambda: archive(two(), size_delta=-3),
    'size+5': lambda: archive(two(), size_delta=5),
    'offset+4-size+4': lambda: archive(two(), offset_delta=4, size_delta=4),
    'count-wrong': lambda: archive(two(), count_delta=1),
    'size-of-last-header': size_of_last_header,
    'size-of-last-header-prefix': lambda: size_of_last_header(b'MZ' + b'\0' * 98),
    'found-record-in-record': lambda: FOUND_RECORD_IN_RECORD,
    'found-empty-in-comment': lambda: FOUND_EMPTY_IN_COMMENT,
    'found-empty-in-damaged': lambda: FOUND_EMPTY_IN_DAMAGED,
    'overlap-full': overlap_full,
    'overlap-quoted': overlap_quoted,
    'overlap-local-extra': overlap_local_extra,
    'data-into-directory': data_into_directory,
}


def main(argv):
    if argv[1:] == ['--list']:
        print('\n'.join(CASES))
        return 0
    out, names = argv[1], argv[2:] or list(CASES)
    os.makedirs(out, exist_ok=True)
    for name in names:
        with open(os.path.join(out, name + '.zip'), 'wb') as f:
            f.write(CASES[name]())
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
