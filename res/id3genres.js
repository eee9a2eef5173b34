// Genre numbers of ID3 tags with their names, and the two views of the genre table.

// The name of genre number n is entry n.
var genresList = [
	"Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
	"New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
	"Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk",
	"Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise",
	"AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
	"Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta",
	"Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychedelic", "Rave", "Showtunes",
	"Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
	"Folk", "Folk/Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass",
	"Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic",
	"Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove",
	"Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
	"Duet", "Punk Rock", "Drum Solo", "Acapella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore",
	"Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangs", "Heavy Metal", "Black Metal", "Crossover",
	"Contemporary Chris", "Cristian Rock", "Merengue", "Salsa", "Thrash Metal", "Anime", "JPop", "Synthpop"
];
var genresSorted = [
	"Acapella", "Acid", "Acid Jazz", "Acid Punk", "Acoustic", "Alternative", "AlternRock", "Ambient", "Anime", "Avantgarde",
	"Ballad", "Bass", "Beat", "Bebob", "Big Band", "Black Metal", "Bluegrass", "Blues", "Booty Bass", "BritPop",
	"Cabaret", "Celtic", "Chamber Music", "Chanson", "Chorus", "Christian Gangs", "Christian Rap", "Classic Rock", "Classical", "Club",
	"Club-House", "Comedy", "Contemporary Chris", "Country", "Cristian Rock", "Crossover", "Cult", "Dance", "Dance Hall", "Darkwave",
	"Death Metal", "Disco", "Dream", "Drum & Bass", "Drum Solo", "Duet", "Easy Listening", "Electronic", "Ethnic", "Eurodance",
	"Euro-House", "Euro-Techno", "Fast Fusion", "Folk", "Folk/Rock", "Folklore", "Freestyle", "Funk", "Fusion", "Game",
	"Gangsta", "Goa", "Gospel", "Gothic", "Gothic Rock", "Grunge", "Hard Rock", "Hardcore", "Heavy Metal", "Hip-Hop",
	"House", "Humour", "Indie", "Industrial", "Instrumental", "Instrumental Pop", "Instrumental Rock", "Jazz", "Jazz+Funk", "JPop",
	"Jungle", "Latin", "Lo-Fi", "Meditative", "Merengue", "Metal", "Musical", "National Folk", "Native American", "Negerpunk",
	"New Age", "New Wave", "Noise", "Oldies", "Opera", "Other", "Polka", "Polsk Punk", "Pop", "Pop/Funk",
	"Pop-Folk", "Porn Groove", "Power Ballad", "Pranks", "Primus", "Progressive Rock", "Psychedelic", "Psychedelic Rock", "Punk", "Punk Rock",
	"R&B", "Rap", "Rave", "Reggae", "Retro", "Revival", "Rhythmic Soul", "Rock", "Rock & Roll", "Salsa",
	"Samba", "Satire", "Showtunes", "Ska", "Slow Jam", "Slow Rock", "Sonata", "Soul", "Sound Clip", "Soundtrack",
	"Southern Rock", "Space", "Speech", "Swing", "Symphonic Rock", "Symphony", "Synthpop", "Tango", "Techno", "Techno-Industrial",
	"Terror", "Thrash Metal", "Top 40", "Trailer", "Trance", "Tribal", "Trip-Hop", "Vocal"
];
var genresIndex = [
	123, 34, 74, 73, 99, 20, 40, 26, 145, 90,
	116, 41, 135, 85, 96, 138, 89, 0, 107, 132,
	65, 88, 104, 102, 97, 136, 61, 1, 32, 112,
	128, 57, 140, 2, 141, 139, 58, 3, 125, 50,
	22, 4, 55, 127, 122, 120, 98, 52, 48, 54,
	124, 25, 84, 80, 81, 115, 119, 5, 30, 36,
	59, 126, 38, 49, 91, 6, 79, 129, 137, 7,
	35, 100, 131, 19, 33, 46, 47, 8, 29, 146,
	63, 86, 71, 45, 142, 9, 77, 82, 64, 133,
	10, 66, 39, 11, 103, 12, 75, 134, 13, 62,
	53, 109, 117, 23, 108, 92, 67, 93, 43, 121,
	14, 15, 68, 16, 76, 87, 118, 17, 78, 143,
	114, 110, 69, 21, 111, 95, 105, 42, 37, 24,
	56, 44, 101, 83, 94, 106, 147, 113, 18, 51,
	130, 144, 60, 70, 31, 72, 27, 28
];

// Column labels, assigned by each page in its own language.
var Number;
var Genre;

// Shows the table in name order; the number header switches to number order.
function CreateSortedTable()
{
	var html = "<table><thead><tr><th class='number'><a href='javascript:CreateTable()'>" + Number +
		"</a></th><th>" + Genre + "</th></tr></thead><tbody>";
	for (var i = 0; i < genresSorted.length; i++)
		html += (i % 2 == 1 ? "<tr class='faded'><td class='number'>" : "<tr><td class='number'>") +
			genresIndex[i] + "</td><td>" + genresSorted[i] + "</td></tr>";
	html += "</tbody></table>";
	content.innerHTML = html;
}

// Shows the table in number order; the genre header switches back to name order.
function CreateTable()
{
	var html = "<table><thead><tr><th class='number'>" + Number +
		"</th><th><a href='javascript:CreateSortedTable()'>" + Genre + "</a></th></tr></thead><tbody>";
	for (var i = 0; i < genresList.length; i++)
		html += (i % 2 == 1 ? "<tr class='faded'><td class='number'>" : "<tr><td class='number'>") +
			i + "</td><td>" + genresList[i] + "</td></tr>";
	html += "</tbody></table>";
	content.innerHTML = html;
}
