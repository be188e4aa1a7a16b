#!/usr/bin/perl
# vcd-extract.pl IMAGE.bin DESTDIR
#
# Copies the files of a Video CD image (raw 2352-byte Mode 2 sectors, as vcdimager writes them)
# into DESTDIR the way a desktop system shows such a disc:
#   - Form 1 files (the VCD/, EXT/ and CDI/ files) as their 2048-byte user data, cut to the
#     recorded size;
#   - Form 2 files (the MPEG tracks in MPEGAV/, SEGMENT/) as RIFF/CDXA files: a 44-byte RIFF
#     header ("RIFF" size "CDXA", a "fmt " chunk holding the file's 14-byte XA directory entry
#     and two zero bytes, a "data" chunk) followed by every raw 2352-byte sector of the file,
#     sync pattern, header, subheader and error codes included.
# Empty folders are made too. Prints one line for each file it writes.
use strict;
use warnings;

die "usage: vcd-extract.pl IMAGE.bin DESTDIR\n" unless @ARGV == 2;
my ($image, $dest) = @ARGV;
use constant RAW => 2352;

open(my $in, '<:raw', $image) or die "cannot open $image: $!\n";

sub sector {
    my ($lba) = @_;
    my $buf;
    seek($in, $lba * RAW, 0) or die "seek to sector $lba: $!\n";
    my $got = read($in, $buf, RAW);
    die "sector $lba lies beyond the end of $image\n" unless defined $got && $got == RAW;
    return $buf;
}

# User data of a Form 1 sector: after 12 sync bytes, 4 header bytes and the 8-byte subheader.
sub form1 { return substr(sector($_[0]), 24, 2048); }

my $pvd = form1(16);
die "no ISO 9660 volume descriptor in sector 16 of $image\n"
    unless substr($pvd, 0, 6) eq "\x01CD001";

sub u32le { return unpack('V', substr($_[0], $_[1], 4)); }

sub walk {
    my ($lba, $size, $path) = @_;
    mkdir $path or die "cannot make $path: $!\n" unless -d $path;
    my $sectors = int(($size + 2047) / 2048);
    for my $s (0 .. $sectors - 1) {
        my $block = form1($lba + $s);
        my $off = 0;
        while ($off < 2048) {
            my $len = ord(substr($block, $off, 1));
            last if $len == 0;               # the rest of this sector is padding
            my $rec = substr($block, $off, $len);
            $off += $len;
            my $nlen = ord(substr($rec, 32, 1));
            my $name = substr($rec, 33, $nlen);
            next if $name eq "\0" || $name eq "\1";
            my $extent = u32le($rec, 2);
            my $bytes = u32le($rec, 10);
            my $flags = ord(substr($rec, 25, 1));
            $name =~ s/;\d+$//;
            $name =~ s/\.$//;
            my $target = "$path/$name";
            if ($flags & 0x02) {
                walk($extent, $bytes, $target);
                next;
            }
            my $su = 33 + $nlen + (($nlen % 2) ? 0 : 1);
            my $xa = substr($rec, $su, 14);
            my $form2;
            if (length($xa) == 14 && substr($xa, 6, 2) eq 'XA') {
                $form2 = (unpack('n', substr($xa, 4, 2)) & 0x1000) ? 1 : 0;
            } else {
                $xa = "\0" x 14;
                $form2 = (ord(substr(sector($extent), 18, 1)) & 0x20) ? 1 : 0;
            }
            write_file($target, $extent, $bytes, $form2, $xa);
        }
    }
}

sub write_file {
    my ($target, $extent, $bytes, $form2, $xa) = @_;
    my $count = int(($bytes + 2047) / 2048);
    open(my $out, '>:raw', $target) or die "cannot write $target: $!\n";
    if ($form2) {
        my $data = $count * RAW;
        print $out 'RIFF', pack('V', 36 + $data), 'CDXA',
            'fmt ', pack('V', 16), $xa, "\0\0",
            'data', pack('V', $data);
        print $out sector($extent + $_) for 0 .. $count - 1;
        print "$target: RIFF/CDXA, $count raw sectors from sector $extent\n";
    } else {
        my $left = $bytes;
        for my $s (0 .. $count - 1) {
            my $take = $left < 2048 ? $left : 2048;
            print $out substr(form1($extent + $s), 0, $take);
            $left -= $take;
        }
        print "$target: $bytes bytes\n";
    }
    close($out) or die "cannot write $target: $!\n";
}

my $root = substr($pvd, 156, 34);
walk(u32le($root, 2), u32le($root, 10), $dest);
